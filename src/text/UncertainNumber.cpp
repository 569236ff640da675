#include "text/UncertainNumber.h"

#include <cmath>

namespace UncertainNumber {

namespace {

// An integer n as n × 10^-decimals, with ',' (decimals may be negative: n × 10^|decimals|).
QString ScaledText(long long n, int decimals)
{
    QString digits = QString::number(n < 0 ? -n : n);
    if (decimals <= 0) {
        digits += QString(-decimals, QLatin1Char('0'));
        return n < 0 ? QLatin1Char('-') + digits : digits;
    }
    if (digits.size() <= decimals)
        digits = QString(decimals - digits.size() + 1, QLatin1Char('0')) + digits;
    digits.insert(digits.size() - decimals, QLatin1Char(','));
    return n < 0 ? QLatin1Char('-') + digits : digits;
}

// Decimal digits of a positive integer, less one: the power of ten of its first digit.
int Magnitude(long long n)
{
    return static_cast<int>(QString::number(n).size()) - 1;
}

}  // namespace

std::optional<Written> Write(double value, double u)
{
    if (!std::isfinite(value) || !std::isfinite(u) || !(u > 0.0))
        return std::nullopt;
    // u = digits × 10^power, two significant digits.
    int power = static_cast<int>(std::floor(std::log10(u))) - 1;
    long long digits = std::llround(u / std::pow(10.0, power));
    if (digits >= 100) {  // 0,0996 rounds to 0,10
        digits /= 10;
        ++power;
    } else if (digits < 10) {  // log10 just below a power of ten
        digits = std::llround(u / std::pow(10.0, --power));
    }
    if (digits % 10 == 0) {
        digits /= 10;
        ++power;
    }
    const double scaled = value / std::pow(10.0, power);
    if (!(std::abs(scaled) < 1e15))
        return std::nullopt;
    const long long rounded = std::llround(scaled);
    // The power of ten of the larger of the rounded value and u.
    const int magnitude = std::max(rounded != 0 ? Magnitude(std::abs(rounded)) : 0, Magnitude(digits)) + power;
    Written written;
    written.exponent = magnitude >= -1 && magnitude <= 2 ? 0 : magnitude;
    const int decimals = written.exponent - power;
    written.value = ScaledText(rounded, decimals);
    written.uncertainty = ScaledText(digits, decimals);
    return written;
}

QString Bracketed(double value, double u)
{
    const std::optional<Written> w = Write(value, u);
    if (!w)
        return QString();
    const QString pair = QLatin1Char('(') + w->value + QStringLiteral(" ± ") + w->uncertainty + QLatin1Char(')');
    return w->exponent == 0 ? pair : pair + QStringLiteral(" × 10") + Superscript(w->exponent);
}

QString Superscript(int number)
{
    static const QChar digits[] = {QChar(0x2070), QChar(0x00B9), QChar(0x00B2), QChar(0x00B3), QChar(0x2074),
                                   QChar(0x2075), QChar(0x2076), QChar(0x2077), QChar(0x2078), QChar(0x2079)};
    QString text;
    if (number < 0)
        text += QChar(0x207B);
    for (const QChar c : QString::number(std::abs(static_cast<qint64>(number))))
        text += digits[c.digitValue()];
    return text;
}

}  // namespace UncertainNumber
