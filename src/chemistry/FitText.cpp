#include "chemistry/FitText.h"

#include <algorithm>
#include <cmath>

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
    const Scientific s = ScientificFor(value, uncertainty);
    const double scale = std::pow(10.0, s.exponent);
    return QStringLiteral("(%1 ± %2)E%3")
        .arg(Decimal(value / scale, s.decimals), Decimal(uncertainty / scale, s.decimals))
        .arg(s.exponent);
}

QString ConcentrationValue(double value, double uncertainty)
{
    const Scientific s = ScientificFor(value, uncertainty);
    return Decimal(value, std::max(0, s.decimals - s.exponent));
}

QString ConcentrationUncertainty(double value, double uncertainty)
{
    const Scientific s = ScientificFor(value, uncertainty);
    return Decimal(uncertainty, std::max(0, s.decimals - s.exponent));
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
