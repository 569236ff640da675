#include "support/QuestionBox.h"

#include <QMessageBox>
#include <QPushButton>

namespace QuestionBox {

bool AskOuiNon(QWidget* parent, const QString& text, Default byDefault)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Quorin"), text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
    box.setDefaultButton(byDefault == Default::Oui ? yes : no);
    box.exec();
    return box.clickedButton() == yes;
}

}  // namespace QuestionBox
