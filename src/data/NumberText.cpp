#include "data/NumberText.h"

#include "data/ConvertError.h"
#include "text/UncertainNumber.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
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
    // "d.ddde±x": the digits before 'e', then the exponent, read without building strings.
    const char* e = std::find(buf.data(), result.ptr, 'e');
    for (const char* c = buf.data(); c != e; ++c)
        if (*c != '.')
            d.digits.push_back(*c);
    std::from_chars(e + 1 + (e[1] == '+' ? 1 : 0), result.ptr, d.exponent);
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
    // One allocation for the whole text: files of a million points write two per point.
    const int top = d.digits.empty() ? 0 : std::max(d.exponent, 0);
    QString out(qsizetype(top + 3 + std::max(decimals, 0)), Qt::Uninitialized);
    QChar* c = out.data();
    if (d.negative && !d.digits.empty())
        *c++ = QLatin1Char('-');
    for (int p = top; p >= 0; --p)
        *c++ = QLatin1Char(DigitAt(d, p));
    if (decimals > 0) {
        *c++ = separator;
        for (int p = -1; p >= -decimals; --p)
            *c++ = QLatin1Char(DigitAt(d, p));
    }
    out.truncate(c - out.constData());
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

// The texts the program writes, "-12,345": at most 15 digits, which a double holds exactly,
// divided once by an exact power of ten. One correctly rounded division gives the very double
// that the general conversion gives, in a fraction of its time.
bool ParsePlainDecimal(QStringView text, QChar separator, double& value)
{
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8,
                                         1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    qsizetype i = 0;
    const qsizetype n = text.size();
    const bool negative = n > 0 && text[0] == QLatin1Char('-');
    if (n > 0 && (negative || text[0] == QLatin1Char('+')))
        ++i;
    std::uint64_t mantissa = 0;
    int digits = 0;
    int decimals = -1;  // -1 until the separator
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c >= u'0' && c <= u'9') {
            if (++digits > 15)
                return false;
            mantissa = mantissa * 10 + (c - u'0');
            if (decimals >= 0)
                ++decimals;
        } else if (text[i] == separator && decimals < 0) {
            decimals = 0;
        } else {
            return false;
        }
    }
    if (digits == 0)
        return false;
    const double magnitude = static_cast<double>(mantissa) / kPowers[std::max(decimals, 0)];
    value = negative ? -magnitude : magnitude;
    return true;
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

bool TryParse(QStringView text, double& value, QChar separator)
{
    // Spaces around the number are allowed, as QString::trimmed() understands them.
    qsizetype i = 0;
    qsizetype n = text.size();
    while (i < n && text[i].isSpace())
        ++i;
    while (n > i && text[n - 1].isSpace())
        --n;
    if (ParsePlainDecimal(text.mid(i, n - i), separator, value))
        return true;
    // The converted text is never longer than the field: a stack buffer for every number
    // this program writes, the heap only for absurd ones.
    std::array<char, 64> small{};
    std::string large;
    char* ascii = small.data();
    if (n - i >= static_cast<qsizetype>(small.size())) {
        large.resize(static_cast<std::size_t>(n - i));
        ascii = large.data();
    }
    std::size_t length = 0;
    const auto put = [&](char c) { ascii[length++] = c; };
    const auto digit = [&](qsizetype at) { return text[at] >= QLatin1Char('0') && text[at] <= QLatin1Char('9'); };
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        if (text[i] == QLatin1Char('-'))
            put('-');
        ++i;
    }
    bool mantissaDigits = false;
    bool seenSeparator = false;
    for (; i < n; ++i) {
        if (digit(i)) {
            put(static_cast<char>(text[i].unicode()));
            mantissaDigits = true;
        } else if (text[i] == separator && !seenSeparator) {
            put('.');
            seenSeparator = true;
        } else {
            break;
        }
    }
    if (!mantissaDigits)
        return false;
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        put('e');
        ++i;
        if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
            put(static_cast<char>(text[i++].unicode()));
        bool exponentDigits = false;
        for (; i < n && digit(i); ++i) {
            put(static_cast<char>(text[i].unicode()));
            exponentDigits = true;
        }
        if (!exponentDigits)
            return false;
    }
    if (i != n)
        return false;
    double parsed = 0;
    const auto result = std::from_chars(ascii, ascii + length, parsed);
    if (result.ec != std::errc() || result.ptr != ascii + length || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

bool TryParse(const QString& text, double& value, QChar separator)
{
    return TryParse(QStringView(text), value, separator);
}

bool IsFixedText(QStringView text, int precision, int decimals, QChar separator)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    const bool negative = n > 0 && text[0] == QLatin1Char('-');
    if (negative)
        ++i;
    const auto digit = [&](qsizetype at) { return text[at] >= QLatin1Char('0') && text[at] <= QLatin1Char('9'); };
    const qsizetype intStart = i;
    while (i < n && digit(i))
        ++i;
    const qsizetype intDigits = i - intStart;
    // "0" alone or no leading zero, at most `precision` digits before the separator.
    if (intDigits == 0 || intDigits > precision || (intDigits > 1 && text[intStart] == QLatin1Char('0')))
        return false;
    if (decimals > 0) {
        if (i >= n || text[i] != separator)
            return false;
        ++i;
        if (n - i != decimals)
            return false;
        for (qsizetype k = i; k < n; ++k)
            if (!digit(k))
                return false;
    } else if (i != n) {
        return false;
    }
    // Digits past the first `precision` significant ones are zeros, and zero has no sign.
    int significant = 0;
    for (qsizetype k = intStart; k < n; ++k) {
        if (text[k] == separator)
            continue;
        if (significant > 0 || text[k] != QLatin1Char('0'))
            ++significant;
        if (significant > precision && text[k] != QLatin1Char('0'))
            return false;
    }
    return !(negative && significant == 0);
}

double Parse(const QString& text, QChar separator)
{
    double value = 0;
    if (!TryParse(text, value, separator))
        throw ConvertError(text);
    return value;
}

QString Superscript(int number)
{
    return UncertainNumber::Superscript(number);
}

}  // namespace NumberText
