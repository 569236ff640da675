#include "support/ErrorBox.h"

#include "support/AppLog.h"

#include <QApplication>
#include <QMessageBox>

#include <new>

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

QString TextOf(const std::exception& error)
{
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return QStringLiteral("Mémoire insuffisante");
    return QString::fromUtf8(error.what());
}

bool Guard(const std::function<bool()>& deliver, bool fallback)
{
    try {
        return deliver();
    } catch (const std::exception& error) {
        Show(TextOf(error));
    } catch (...) {
        Show(QStringLiteral("Erreur inconnue"));
    }
    return fallback;
}

}  // namespace ErrorBox
