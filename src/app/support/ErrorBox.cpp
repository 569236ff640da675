#include "support/ErrorBox.h"

#include "support/AppLog.h"
#include "text/ExceptionText.h"

#include <QApplication>
#include <QMessageBox>

namespace {
std::function<void(const QString&)>& Presenter()
{
    static std::function<void(const QString&)> presenter;
    return presenter;
}
}  // namespace

namespace ErrorBox {

void Show(const QString& text)
{
    qCWarning(lcApp).noquote() << QStringLiteral("Erreur affichée : %1").arg(text);
    if (Presenter()) {
        Presenter()(text);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("Quorin"), text);
}

void SetPresenter(std::function<void(const QString&)> presenter)
{
    Presenter() = std::move(presenter);
}

bool Guard(const std::function<void()>& deliver)
{
    try {
        deliver();
        return true;
    } catch (const std::exception& error) {
        Show(ExceptionText(error));
    } catch (...) {
        Show(QStringLiteral("Erreur inconnue"));
    }
    return false;
}

}  // namespace ErrorBox
