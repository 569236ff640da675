#include "net/TFDgReseau.h"

#include "net/MsgWire.h"
#include "net/NetLog.h"
#include "net/NetworkSend.h"
#include "net/TMainMsgServer.h"
#include "net/TMsgSender.h"
#include "text/ExceptionText.h"
#include "text/Windows1252.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

TFDgReseau::TFDgReseau(TMsgSender& msgSender1, const TMainMsgServer& msgServer1,
                       MeasurementTextSource measurementText, QWidget* parent)
    : QDialog(parent),
      msgSender1_(msgSender1),
      msgServer1_(msgServer1),
      measurementText_(std::move(measurementText)),
      groupBox1_(new QGroupBox(QStringLiteral("&Adresses IP"), this)),
      memo1_(new QPlainTextEdit(this)),
      button1_(new QPushButton(QStringLiteral("&Tester envoi"), this)),
      button2_(new QPushButton(QStringLiteral("Te&ster lecture"), this)),
      label1_(new QLabel(QStringLiteral("Pour vous envoyer un message, adresse IP : 127.0.0.1"), this)),
      okBtn_(new QPushButton(QStringLiteral("&Envoyer"), this)),
      cancelBtn_(new QPushButton(QStringLiteral("&Annuler"), this))
{
    setObjectName(QStringLiteral("FDgReseau"));
    setWindowTitle(QStringLiteral("Quorin : Transfert par réseau"));
    setWindowModality(Qt::ApplicationModal);
    // A font whose lines are 13 pixels high, so that the fixed layout holds every caption.
    QFont dialogFont = font();
    for (int pixels = 13; pixels > 8; --pixels) {
        dialogFont.setPixelSize(pixels);
        if (QFontMetrics(dialogFont).height() <= 13)
            break;
    }
    setFont(dialogFont);
    setFixedSize(347, 283);

    groupBox1_->setObjectName(QStringLiteral("GroupBox1"));
    groupBox1_->setGeometry(0, 0, 121, 283);
    const NetworkAddresses::List defaults = NetworkAddresses::Defaults();
    for (int n = 1; n <= NetworkAddresses::kCount; ++n) {
        QLineEdit* edit = new QLineEdit(defaults[n - 1], groupBox1_);
        edit->setObjectName(QStringLiteral("Edit%1").arg(n));
        edit->setGeometry(8, 20 + 32 * (n - 1), 105, 24);
        edits_[n - 1] = edit;
    }
    memo1_->setObjectName(QStringLiteral("Memo1"));
    memo1_->setGeometry(128, 8, 177, 153);
    button1_->setObjectName(QStringLiteral("Button1"));
    button1_->setGeometry(128, 168, 97, 25);
    button2_->setObjectName(QStringLiteral("Button2"));
    button2_->setGeometry(240, 168, 97, 25);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setGeometry(128, 200, 195, 32);
    label1_->setWordWrap(true);
    okBtn_->setObjectName(QStringLiteral("OKBtn"));
    okBtn_->setGeometry(127, 244, 97, 25);
    okBtn_->setDefault(true);
    cancelBtn_->setObjectName(QStringLiteral("CancelBtn"));
    cancelBtn_->setGeometry(239, 244, 97, 25);

    connect(button1_, &QPushButton::clicked, this, &TFDgReseau::Button1Click);
    connect(button2_, &QPushButton::clicked, this, &TFDgReseau::Button2Click);
    connect(okBtn_, &QPushButton::clicked, this, &TFDgReseau::OKBtnClick);
    connect(cancelBtn_, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate();
}

void TFDgReseau::FormCreate()
{
    if (const std::optional<NetworkAddresses::List> kept = NetworkAddresses::Load()) {
        for (int i = 0; i < NetworkAddresses::kCount; ++i)
            edits_[i]->setText((*kept)[i]);
    }
    networkAddresses_ = FieldTexts();
}

NetworkAddresses::List TFDgReseau::FieldTexts() const
{
    NetworkAddresses::List texts;
    for (int i = 0; i < NetworkAddresses::kCount; ++i)
        texts[i] = edits_[i]->text();
    return texts;
}

void TFDgReseau::FormClose()
{
    NetworkAddresses::Save(FieldTexts());
}

void TFDgReseau::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TFDgReseau::showEvent(QShowEvent* event)
{
    if (!centred_) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
        centred_ = true;
    }
    QDialog::showEvent(event);
}

void TFDgReseau::SetTimeLimits(int connectMs, int replyMs)
{
    connectLimitMs_ = connectMs;
    replyLimitMs_ = replyMs;
}

void TFDgReseau::Envoyersurlerseau1Click()
{
    SendMeasurements();
}

void TFDgReseau::Testerlerseau1Click()
{
    show();
    raise();
    activateWindow();
}

void TFDgReseau::SendMeasurements()
{
    // The user interface runs on while a send waits: a second send would interleave with it.
    if (sending_)
        return;
    sending_ = true;
    okBtn_->setEnabled(false);
    button1_->setEnabled(false);
    struct SendEnd {
        TFDgReseau* dialog;
        ~SendEnd()
        {
            dialog->sending_ = false;
            dialog->okBtn_->setEnabled(true);
            dialog->button1_->setEnabled(true);
        }
    } sendEnd{this};

    memo1_->clear();
    networkAddresses_ = FieldTexts();
    QString text;
    try {
        text = measurementText_ ? measurementText_() : QString();
    } catch (const std::exception& error) {
        // The text comes from outside this dialog: its failure is the dialog's report, and
        // nothing is sent.
        qCWarning(lcNet).noquote() << QStringLiteral("Texte à envoyer indisponible : %1")
                                          .arg(ExceptionText(error));
        memo1_->setPlainText(ExceptionText(error));
        return;
    }
    QString report = SendToAddresses(text, NetworkAddresses::kCount);
    if (!report.isEmpty() && Windows1252::Encode(text).size() > MsgWire::kMaxFieldBytes)
        report = NetworkSend::TooLongLine() + QLatin1Char('\n') + report;
    memo1_->setPlainText(report);
}

QString TFDgReseau::SendToAddresses(const QString& text, int count)
{
    msgSender1_.SetConnectLimit(connectLimitMs_);
    msgSender1_.SetReplyLimit(replyLimitMs_);
    return NetworkSend::SendToAddresses(msgSender1_, networkAddresses_, text, count, [this](int n, const QString& address) {
        // A send to eight slow addresses takes a while: the memo tells which one is tried.
        memo1_->setPlainText(QStringLiteral("Envoi en cours à l'adresse %1 : %2").arg(n).arg(address));
    });
}

void TFDgReseau::OKBtnClick()
{
    SendMeasurements();
    accept();
}

void TFDgReseau::Button1Click()
{
    SendMeasurements();
}

void TFDgReseau::Button2Click()
{
    memo1_->setPlainText(memo1_->toPlainText() + QStringLiteral("\n\n") + msgServer1_.LastReceivedText());
}
