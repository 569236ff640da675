#include "chemistry/FitText.h"

#include "text/UncertainNumber.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace FitText {

namespace {

// A concentration as mantissa and power of ten, the mantissa's decimals set by the uncertainty.
struct Scientific {
    int exponent = 0;
    int decimals = 0;
};

Scientific ScientificFor(double value, double uncertainty)
{
    Scientific s;
    if (!(value > 0.0) || !std::isfinite(value))
        return s;
    s.exponent = static_cast<int>(std::floor(std::log10(value)));
    double scale = std::pow(10.0, s.exponent);
    s.decimals = DecimalsFor(uncertainty / scale, 1, 5);
    // 9,9996E-3 shown with 3 decimals is 1,000E-2.
    if (std::abs(QString::number(value / scale, 'f', s.decimals).toDouble()) >= 10.0) {
        ++s.exponent;
        scale *= 10.0;
        s.decimals = DecimalsFor(uncertainty / scale, 1, 5);
    }
    return s;
}

// The decimals of the written concentration once its power of ten is multiplied out.
int PlainDecimals(double value, double uncertainty)
{
    const std::optional<UncertainNumber::Written> w = UncertainNumber::Write(value, uncertainty);
    if (!w)
        return 5;
    const qsizetype comma = w->value.indexOf(QLatin1Char(','));
    const int mantissaDecimals = comma < 0 ? 0 : static_cast<int>(w->value.size() - comma - 1);
    return std::max(0, mantissaDecimals - w->exponent);
}

int PHDecimals(double uncertainty)
{
    return DecimalsFor(uncertainty, 2, 4);
}

}  // namespace

QString Decimal(double value, int decimals)
{
    QString text = QString::number(value, 'f', decimals);
    bool allZero = true;
    for (const QChar c : text)
        if (c.isDigit() && c != QLatin1Char('0'))
            allZero = false;
    if (allZero && text.startsWith(QLatin1Char('-')))
        text.remove(0, 1);
    return text.replace(QLatin1Char('.'), QLatin1Char(','));
}

int DecimalsFor(double uncertainty, int least, int most)
{
    if (!(uncertainty > 0.0) || !std::isfinite(uncertainty))
        return most;
    return std::clamp(static_cast<int>(-std::floor(std::log10(uncertainty))), least, most);
}

QString Concentration(double value, double uncertainty)
{
    const QString written = UncertainNumber::Bracketed(value, uncertainty);
    if (!written.isEmpty())
        return written;
    // No uncertainty to round to: the value alone, to three significant digits.
    const Scientific s = ScientificFor(value, uncertainty);
    return QStringLiteral("%1 × 10%2")
        .arg(Decimal(value / std::pow(10.0, s.exponent), 2), UncertainNumber::Superscript(s.exponent));
}

QString ConcentrationValue(double value, double uncertainty)
{
    return Decimal(value, PlainDecimals(value, uncertainty));
}

QString ConcentrationUncertainty(double value, double uncertainty)
{
    return Decimal(uncertainty, PlainDecimals(value, uncertainty));
}

QString PlusMinus(double value, double uncertainty)
{
    return PHValue(value, uncertainty) + QStringLiteral(" ± ") + PHUncertainty(uncertainty);
}

QString PHValue(double value, double uncertainty)
{
    return Decimal(value, PHDecimals(uncertainty));
}

QString PHUncertainty(double uncertainty)
{
    return Decimal(uncertainty, PHDecimals(uncertainty));
}

}  // namespace FitText
