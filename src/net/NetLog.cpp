#include "net/NetLog.h"

#include <exception>

Q_LOGGING_CATEGORY(lcNet, "quorin.net")

QString CaughtText()
{
    try {
        throw;
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return QStringLiteral("exception inconnue");
    }
}
