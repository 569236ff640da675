#include "text/ExceptionText.h"

#include <new>

QString ExceptionText(const std::exception& error)
{
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return QStringLiteral("Mémoire insuffisante");
    return QString::fromUtf8(error.what());
}
