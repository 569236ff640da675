#include "data/TFDgCommentaire.h"

#include "data/DialogPlacement.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// A caption whose access key focuses `buddy`; wrapped captions get a fixed box.
QLabel* MakeLabel(const QString& text, QLineEdit* buddy, QWidget* parent, const QRect& wrappedBox = QRect())
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    if (wrappedBox.isValid()) {
        label->setWordWrap(true);
        label->setGeometry(wrappedBox);
    } else {
        label->adjustSize();
    }
    return label;
}

QLineEdit* MakeEdit(int left, int top, int width, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(left, top, width, edit->sizeHint().height());
    return edit;
}

}  // namespace

TFDgCommentaire::TFDgCommentaire(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , edit1_(MakeEdit(8, 32, 441, this))
    , edit2_(MakeEdit(40, 96, 73, this))
    , edit3_(MakeEdit(188, 96, 73, this))
    , edit4_(MakeEdit(336, 96, 73, this))
    , okBtn_(new QPushButton(QStringLiteral("&Ajouter"), this))
{
    setObjectName(QStringLiteral("FDgCommentaire"));
    setWindowTitle(QStringLiteral("Quorin : Ajouter un commentaire au fichier sauvegardé"));
    setModal(true);
    setFixedSize(455, 176);

    edit1_->setObjectName(QStringLiteral("Edit1"));
    edit2_->setObjectName(QStringLiteral("Edit2"));
    edit3_->setObjectName(QStringLiteral("Edit3"));
    edit4_->setObjectName(QStringLiteral("Edit4"));
    okBtn_->setObjectName(QStringLiteral("OKBtn"));

    MakeLabel(QStringLiteral("&Commentaire :"), edit1_, this)->move(24, 8);
    MakeLabel(QStringLiteral("C&oncentration dans le bécher, en mol/L"), edit2_, this, QRect(32, 64, 106, 26));
    MakeLabel(QStringLiteral("C&oncentration dans la burette, en mol/L"), edit3_, this, QRect(176, 64, 95, 26));
    MakeLabel(QStringLiteral("&Volume dans le bécher, en L"), edit4_, this, QRect(336, 64, 75, 26));

    okBtn_->setGeometry(255, 132, 75, 25);
    okBtn_->setDefault(true);
    connect(okBtn_, &QPushButton::clicked, this, &QDialog::accept);

    setTabOrder(edit1_, edit2_);
    setTabOrder(edit2_, edit3_);
    setTabOrder(edit3_, edit4_);
    setTabOrder(edit4_, okBtn_);

    ShowValues(QString(), HeaderValues());
}

void TFDgCommentaire::ShowValues(const QString& comment, const HeaderValues& values)
{
    edit1_->setText(comment);
    edit2_->setText(values.beakerConcentration);
    edit3_->setText(values.buretteConcentration);
    edit4_->setText(values.beakerVolume);
}

HeaderValues TFDgCommentaire::FieldValues() const
{
    HeaderValues values;
    values.currentComment = edit1_->text();
    values.beakerConcentration = edit2_->text();
    values.buretteConcentration = edit3_->text();
    values.beakerVolume = edit4_->text();
    return values;
}

void TFDgCommentaire::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    DialogPlacement::CenterOnScreen(*this);
    edit1_->setFocus();
}
