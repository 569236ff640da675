#include "acquisition/KeyFilter.h"

namespace KeyFilter {

std::optional<QChar> Filter(QChar c, bool running)
{
    const bool letter = (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
    const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
    if (c == QLatin1Char('.'))
        c = QLatin1Char(',');
    else if (letter)
        c = QLatin1Char('E');
    if (!running)
        return c;
    if (c == QLatin1Char(',') || letter || digit || c == QLatin1Char('\t'))
        return std::nullopt;
    if (c == QLatin1Char(' '))
        return kValidate;
    return c;
}

}  // namespace KeyFilter
