#include "NumberText.h"

#include "ConvertError.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string>

namespace {

// A finite non-zero value as decimal digits d1 d2 … dn and the power of ten of d1.
struct Decimal {
    bool negative = false;
    std::string digits;  // no leading zero; empty means zero
    int exponent = 0;    // value = 0.d1d2…dn × 10^(exponent + 1)
};

// Shortest decimal that reads back as the same double, so that a value typed or computed
// as 2.0005 rounds as the half it looks like, not as the binary fraction below it.
Decimal ToDecimal(double value, int significant = 0)
{
    Decimal d;
    if (value == 0.0)
        return d;
    d.negative = value < 0;
    std::array<char, 64> buf{};
    const auto result = significant > 0
        ? std::to_chars(buf.data(), buf.data() + buf.size(), std::fabs(value),
                        std::chars_format::scientific, significant - 1)
        : std::to_chars(buf.data(), buf.data() + buf.size(), std::fabs(value), std::chars_format::scientific);
    const std::string text(buf.data(), result.ptr);
    const auto e = text.find('e');
    for (std::size_t i = 0; i < e; ++i)
        if (text[i] != '.')
            d.digits.push_back(text[i]);
    d.exponent = std::stoi(text.substr(e + 1));
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

// Keeps `keep` digits, rounding the rest half away from zero (the sign is apart).
void RoundTo(Decimal& d, int keep)
{
    if (d.digits.empty() || keep >= static_cast<int>(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
            d.digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        } else {
            ++d.digits[static_cast<std::size_t>(i)];
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
}

// Digit at power of ten p, '0' outside the stored digits.
char DigitAt(const Decimal& d, int p)
{
    const int index = d.exponent - p;
    if (index < 0 || index >= static_cast<int>(d.digits.size()))
        return '0';
    return d.digits[static_cast<std::size_t>(index)];
}

QString Positional(const Decimal& d, int decimals, QChar separator)
{
    QString out;
    if (d.negative && !d.digits.empty())
        out += QLatin1Char('-');
    const int top = d.digits.empty() ? 0 : std::max(d.exponent, 0);
    for (int p = top; p >= 0; --p)
        out += QLatin1Char(DigitAt(d, p));
    if (decimals > 0) {
        out += separator;
        for (int p = -1; p >= -decimals; --p)
            out += QLatin1Char(DigitAt(d, p));
    }
    return out;
}

QString Scientific(const Decimal& d, QChar separator)
{
    QString out;
    if (d.negative)
        out += QLatin1Char('-');
    out += QLatin1Char(d.digits.empty() ? '0' : d.digits[0]);
    if (d.digits.size() > 1) {
        out += separator;
        out += QString::fromLatin1(d.digits.substr(1).c_str());
    }
    out += QStringLiteral("E%1").arg(d.exponent);
    return out;
}

}  // namespace

namespace NumberText {

QString Fixed(double value, int precision, int decimals, QChar separator)
{
    if (!std::isfinite(value))
        return std::isnan(value) ? QStringLiteral("NAN") : (value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF"));
    Decimal d = ToDecimal(value);
    if (d.digits.empty())
        return Positional(d, decimals, separator);
    // Digits from 10^exponent down to 10^-decimals, but never more than `precision`.
    RoundTo(d, std::min(precision, d.exponent + 1 + decimals));
    if (d.exponent + 1 > precision)
        return Scientific(d, separator);
    return Positional(d, decimals, separator);
}

QString General(double value, QChar separator)
{
    if (!std::isfinite(value))
        return Fixed(value, 15, 0, separator);
    const Decimal d = ToDecimal(value, 15);
    if (d.digits.empty())
        return QStringLiteral("0");
    if (d.exponent >= 15 || d.exponent < -5)
        return Scientific(d, separator);
    const int decimals = std::max(0, static_cast<int>(d.digits.size()) - 1 - d.exponent);
    return Positional(d, decimals, separator);
}

bool TryParse(const QString& text, double& value, QChar separator)
{
    const QString trimmed = text.trimmed();
    std::string ascii;
    ascii.reserve(static_cast<std::size_t>(trimmed.size()));
    int i = 0;
    const int n = static_cast<int>(trimmed.size());
    if (i < n && (trimmed[i] == QLatin1Char('+') || trimmed[i] == QLatin1Char('-'))) {
        if (trimmed[i] == QLatin1Char('-'))
            ascii.push_back('-');
        ++i;
    }
    bool mantissaDigits = false;
    bool seenSeparator = false;
    for (; i < n; ++i) {
        const QChar c = trimmed[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            ascii.push_back(static_cast<char>(c.unicode()));
            mantissaDigits = true;
        } else if (c == separator && !seenSeparator) {
            ascii.push_back('.');
            seenSeparator = true;
        } else {
            break;
        }
    }
    if (!mantissaDigits)
        return false;
    if (i < n && (trimmed[i] == QLatin1Char('e') || trimmed[i] == QLatin1Char('E'))) {
        ascii.push_back('e');
        ++i;
        if (i < n && (trimmed[i] == QLatin1Char('+') || trimmed[i] == QLatin1Char('-')))
            ascii.push_back(static_cast<char>(trimmed[i++].unicode()));
        bool exponentDigits = false;
        for (; i < n && trimmed[i] >= QLatin1Char('0') && trimmed[i] <= QLatin1Char('9'); ++i) {
            ascii.push_back(static_cast<char>(trimmed[i].unicode()));
            exponentDigits = true;
        }
        if (!exponentDigits)
            return false;
    }
    if (i != n)
        return false;
    double parsed = 0;
    const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), parsed);
    if (result.ec != std::errc() || result.ptr != ascii.data() + ascii.size() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

double Parse(const QString& text, QChar separator)
{
    double value = 0;
    if (!TryParse(text, value, separator))
        throw ConvertError(text);
    return value;
}

}  // namespace NumberText
