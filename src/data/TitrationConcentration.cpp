#include "TitrationConcentration.h"

#include "NumberText.h"

#include <cmath>

namespace TitrationConcentration {

namespace {

// Mantissa and power of ten with the mantissa rounded to three significant digits, so that
// 9,996E-3 becomes 1,00E-2 rather than 10,00E-3.
std::pair<QString, int> ThreeDigits(double value)
{
    int exponent = static_cast<int>(std::floor(std::log10(std::abs(value))));
    QString mantissa = NumberText::Fixed(value / std::pow(10.0, exponent), 3, 2);
    if (mantissa.startsWith(QStringLiteral("10")) || mantissa.startsWith(QStringLiteral("-10"))) {
        ++exponent;
        mantissa = NumberText::Fixed(value / std::pow(10.0, exponent), 3, 2);
    }
    return {mantissa, exponent};
}

}  // namespace

std::optional<double> ReadQuantity(const QString& text)
{
    double value = 0.0;
    if (!NumberText::TryParse(text, value, QLatin1Char(',')) && !NumberText::TryParse(text, value, QLatin1Char('.')))
        return std::nullopt;
    if (!(value > 0.0))
        return std::nullopt;
    return value;
}

std::optional<double> BeakerConcentration(double veMl, const HeaderValues& values)
{
    if (!values.quantitiesConfirmed || !(veMl > 0.0))
        return std::nullopt;
    const std::optional<double> cb = ReadQuantity(values.buretteConcentration);
    const std::optional<double> va = ReadQuantity(values.beakerVolume);
    if (!cb || !va)
        return std::nullopt;
    const double ca = *cb * (veMl / 1000.0) / *va;
    if (!std::isfinite(ca) || !(ca > 0.0))
        return std::nullopt;
    return ca;
}

QString Scientific(double value)
{
    const auto [mantissa, exponent] = ThreeDigits(value);
    return QStringLiteral("%1E%2").arg(mantissa).arg(exponent);
}

QString StudentForm(double value)
{
    const auto [mantissa, exponent] = ThreeDigits(value);
    if (exponent == 0)
        return mantissa;
    return QStringLiteral("%1 × 10%2").arg(mantissa, NumberText::Superscript(exponent));
}

QString HintText()
{
    return QStringLiteral("concentration : précisez Cb et Va dans Edition > Ajouter un commentaire");
}

QString StatusSuffix(const std::optional<double>& ca)
{
    if (!ca)
        return QStringLiteral(" ; ") + HintText();
    return QStringLiteral(" ; Ca = %1 mol/L").arg(StudentForm(*ca));
}

QString ClipboardLine(double ca)
{
    return QStringLiteral("Concentration dans le bécher en mol/L\t%1\r").arg(Scientific(ca));
}

}  // namespace TitrationConcentration
