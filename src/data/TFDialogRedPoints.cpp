#include "data/TFDialogRedPoints.h"

#include "data/DialogPlacement.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

TFDialogRedPoints::TFDialogRedPoints(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , memo1_(new QPlainTextEdit(this))
    , edit1_(new QLineEdit(QStringLiteral("100"), this))
    , okBtn_(new QPushButton(QStringLiteral("OK"), this))
    , cancelBtn_(new QPushButton(QStringLiteral("Annuler"), this))
{
    setObjectName(QStringLiteral("FDialogRedPoints"));
    setWindowTitle(QStringLiteral("Réduction du nombre de points de mesure"));
    setModal(true);
    setFixedSize(341, 229);

    memo1_->setObjectName(QStringLiteral("Memo1"));
    memo1_->setGeometry(8, 8, 305, 161);
    memo1_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    memo1_->setReadOnly(true);
    memo1_->setFont(QFont(QStringLiteral("MS Sans Serif"), 10));
    memo1_->setPlainText(QStringLiteral("Indiquez combien de points de mesure vous\n"
                                        "souhaitez garder. Ce nombre est approximatif.\n"
                                        "\n"
                                        "Le logiciel va effectuer la moyenne de groupes\n"
                                        "de points, pour réduire le nombre de valeurs\n"
                                        "numériques.\n"
                                        "\n"
                                        "Les points mesurés ne seront pas perdus ; vous\n"
                                        "pourrez toujours revenir en arrière"));

    auto* label1 = new QLabel(QStringLiteral("&Nombre de points"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setBuddy(edit1_);
    label1->adjustSize();
    label1->move(8, 184);

    edit1_->setObjectName(QStringLiteral("Edit1"));
    edit1_->setGeometry(96, 184, 41, edit1_->sizeHint().height());

    okBtn_->setObjectName(QStringLiteral("OKBtn"));
    okBtn_->setGeometry(151, 180, 75, 25);
    okBtn_->setDefault(true);
    cancelBtn_->setObjectName(QStringLiteral("CancelBtn"));
    cancelBtn_->setGeometry(239, 180, 75, 25);
    connect(okBtn_, &QPushButton::clicked, this, &TFDialogRedPoints::OKBtnClick);
    connect(cancelBtn_, &QPushButton::clicked, this, &TFDialogRedPoints::CancelBtnClick);

    setTabOrder(edit1_, okBtn_);
    setTabOrder(okBtn_, cancelBtn_);
    setTabOrder(cancelBtn_, memo1_);
}

void TFDialogRedPoints::OKBtnClick()
{
    bool ok = false;
    const int value = edit1_->text().toInt(&ok, 10);
    // A text that is not an integer cancels rather than reducing with an old number.
    requestedPoints_ = ok ? value : 0;
    QDialog::accept();
}

void TFDialogRedPoints::CancelBtnClick()
{
    requestedPoints_ = 0;
    QDialog::reject();
}

void TFDialogRedPoints::reject()
{
    CancelBtnClick();
}

void TFDialogRedPoints::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    DialogPlacement::CenterOnScreen(*this);
    edit1_->setFocus();
}
