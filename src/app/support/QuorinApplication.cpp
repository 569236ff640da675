#include "support/QuorinApplication.h"

#include "support/AppLog.h"
#include "support/ErrorBox.h"
#include "text/ExceptionText.h"

QuorinApplication::QuorinApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool QuorinApplication::notify(QObject* receiver, QEvent* event)
{
    // The event type is read before: the receiver may be gone once its handler has failed.
    const int type = static_cast<int>(event->type());
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        qCCritical(lcApp).noquote() << QStringLiteral("Exception sortie d'un gestionnaire (événement %1) : %2")
                                           .arg(type)
                                           .arg(ExceptionText(error));
        ErrorBox::Show(ExceptionText(error));
    } catch (...) {
        qCCritical(lcApp).noquote() << QStringLiteral("Exception inconnue sortie d'un gestionnaire (événement %1)").arg(type);
        ErrorBox::Show(QStringLiteral("Erreur inconnue"));
    }
    return false;
}
