#include "net/NetLog.h"

#include "text/ExceptionText.h"

#include <exception>

Q_LOGGING_CATEGORY(lcNet, "quorin.net")

QString CaughtText()
{
    try {
        throw;
    } catch (const std::exception& error) {
        return ExceptionText(error);
    } catch (...) {
        return QStringLiteral("exception inconnue");
    }
}
