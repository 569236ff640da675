#include "data/TitrationConcentration.h"

#include "data/NumberText.h"

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

std::vector<double> BeakerConcentrations(const std::vector<double>& veMl, Content content, const HeaderValues& values)
{
    const std::size_t needed = content == Content::TwoSpecies ? 2 : 1;
    if (veMl.size() < needed)
        return {};
    std::vector<double> ca;
    double previousMl = 0.0;
    for (std::size_t i = 0; i < needed; ++i) {
        const std::optional<double> c = BeakerConcentration(veMl[i] - previousMl, values);
        if (!c)
            return {};
        ca.push_back(*c);
        previousMl = veMl[i];
    }
    return ca;
}

QString StatusSuffix(const std::vector<double>& veMl, Content content, const HeaderValues& values)
{
    const std::vector<double> ca = BeakerConcentrations(veMl, content, values);
    if (content == Content::OneSpecies || ca.size() < 2) {
        if (ca.empty() && content == Content::TwoSpecies && veMl.size() < 2 && !veMl.empty()
            && BeakerConcentration(veMl.front(), values))
            return QStringLiteral(" ; concentrations : deux équivalences sont nécessaires pour un mélange");
        return StatusSuffix(ca.empty() ? std::nullopt : std::optional<double>(ca.front()));
    }
    return QStringLiteral(" ; C1 = %1 mol/L ; C2 = %2 mol/L").arg(StudentForm(ca[0]), StudentForm(ca[1]));
}

QString ClipboardLines(const std::vector<double>& ca)
{
    if (ca.size() == 1)
        return ClipboardLine(ca.front());
    QString text;
    for (std::size_t i = 0; i < ca.size(); ++i)
        text += QStringLiteral("Concentration de l'espèce %1 dans le bécher en mol/L\t%2\r").arg(i + 1).arg(Scientific(ca[i]));
    return text;
}

QStringList ReportLines(const std::vector<double>& ca)
{
    if (ca.size() == 1)
        return {QStringLiteral("Concentration dans le bécher : Ca = %1 mol/L").arg(StudentForm(ca.front()))};
    QStringList lines;
    for (std::size_t i = 0; i < ca.size(); ++i)
        lines << QStringLiteral("Concentration de l'espèce %1 dans le bécher : C%1 = %2 mol/L").arg(i + 1).arg(StudentForm(ca[i]));
    return lines;
}

}  // namespace TitrationConcentration
