#include "data/UncertaintyResults.h"

#include "data/NumberText.h"

#include <cmath>

namespace UncertaintyResults {

namespace {

QString Line(const QString& caption, const QString& value)
{
    return caption + QLatin1Char('\t') + value + QLatin1Char('\r');
}

// An uncertainty in mL as the written Ve shows it ("0,029").
QString MlText(double veMl, double u)
{
    return Uncertainty::SpreadsheetPair(veMl, u).second;
}

// Two significant digits, for the relative parts in percent.
QString Percent(double relative)
{
    const double rounded = QString::number(relative * 100.0, 'g', 2).toDouble();
    return NumberText::General(rounded) + QStringLiteral(" %");
}

QString CaText(const Entry& entry)
{
    return Uncertainty::ResultText(QStringLiteral("Ca"), entry.propagation.caMolPerL, entry.propagation.uCaMolPerL,
                                   QStringLiteral("mol/L"));
}

QString VeText(const Entry& entry)
{
    return Uncertainty::ResultText(QStringLiteral("Ve"), entry.budget.veMl, Uncertainty::VeUncertainty(entry.budget),
                                   QStringLiteral("mL"));
}

// Digits in groups of three, a no-break space between them: "100 000".
QString Grouped(int n)
{
    QString digits = QString::number(n);
    for (qsizetype at = digits.size() - 3; at > 0 && digits[at - 1].isDigit(); at -= 3)
        digits.insert(at, QChar(0x00A0));
    return digits;
}

QString MonteCarloText(const Uncertainty::MonteCarloResult& mc)
{
    return QStringLiteral("Monte-Carlo (%1 tirages) : %2 (moyenne ± écart-type)")
        .arg(Grouped(mc.draws),
             Uncertainty::ResultText(QStringLiteral("Ca"), mc.meanMolPerL, mc.standardDeviationMolPerL,
                                     QStringLiteral("mol/L")));
}

QString ReferenceText(const Uncertainty::Comparison& c)
{
    return QStringLiteral("%1 ; Ca de référence = %2 mol/L")
        .arg(Uncertainty::ComparisonText(c), NumberText::General(c.reference));
}

std::optional<double> ReadNumber(const QString& text)
{
    QString typed = text.trimmed();
    typed.replace(QLatin1Char('.'), NumberText::kDecimalSeparator);
    double value = 0.0;
    if (typed.isEmpty() || !NumberText::TryParse(typed, value) || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace

QString MethodName(Method method)
{
    switch (method) {
    case Method::Peak:
        return QStringLiteral("pic de la dérivée");
    case Method::Tangents:
        return QStringLiteral("méthode des tangentes");
    case Method::Conductimetry:
        return QStringLiteral("conductimétrie (intersection)");
    case Method::Model:
        break;
    }
    return QStringLiteral("modèle");
}

Entry Evaluate(const Found& found, std::optional<double> cbMolPerL, std::optional<double> vaMl,
               const Settings& settings, bool monteCarlo)
{
    Entry entry;
    entry.method = found.method;
    entry.budget = Uncertainty::MakeBudget(cbMolPerL.value_or(0.0), vaMl.value_or(0.0), found.veMl, found.component,
                                           settings.tolerances);
    entry.concentration = cbMolPerL && vaMl && Uncertainty::Computable(entry.budget);
    if (!entry.concentration)
        return entry;
    entry.propagation = Uncertainty::Propagate(entry.budget);
    if (monteCarlo)
        entry.monteCarlo = Uncertainty::MonteCarlo(entry.budget);
    if (settings.referenceMolPerL)
        entry.comparison = Uncertainty::Compare(entry.propagation.caMolPerL, entry.propagation.uCaMolPerL,
                                                *settings.referenceMolPerL);
    return entry;
}

QString StatusSuffix(const Entry& entry)
{
    QString text = QStringLiteral(" ; ") + VeText(entry);
    if (!entry.concentration)
        return text;
    text += QStringLiteral(" ; ") + CaText(entry);
    if (entry.comparison)
        text += QStringLiteral(" ; z = %1 (%2)")
                    .arg(NumberText::Fixed(entry.comparison->z, 15, entry.comparison->z < 10.0 ? 2 : 1),
                         entry.comparison->compatible ? QStringLiteral("compatible") : QStringLiteral("non compatible"));
    return text;
}

QString ClipboardLines(const Entry& entry)
{
    const double uVe = Uncertainty::VeUncertainty(entry.budget);
    QString text = Line(QStringLiteral("Incertitudes selon la méthode"), MethodName(entry.method));
    text += Line(QStringLiteral("Ve en mL"), Uncertainty::SpreadsheetPair(entry.budget.veMl, uVe).first);
    const QString lines = Uncertainty::ClipboardLines(entry.budget, entry.monteCarlo, entry.comparison);
    if (entry.concentration)
        return text + lines;
    // The parts of u(Ve) only: the lines of Ca would read 0.
    const QStringList all = lines.split(QLatin1Char('\r'));
    for (int i = 0; i < 4 && i < all.size(); ++i)
        text += all[i] + QLatin1Char('\r');
    return text;
}

QStringList ReportLines(const Entry& entry)
{
    QString first = QStringLiteral("Incertitudes (%1) : %2").arg(MethodName(entry.method), VeText(entry));
    if (entry.concentration)
        first += QStringLiteral(" ; ") + CaText(entry);
    QStringList lines{first};
    if (entry.monteCarlo)
        lines << MonteCarloText(*entry.monteCarlo);
    if (entry.comparison)
        lines << ReferenceText(*entry.comparison);
    return lines;
}

QStringList DetailLines(const Entry& entry)
{
    const Uncertainty::Budget& b = entry.budget;
    QStringList lines;
    lines << QStringLiteral("u(Ve) due à la méthode (%1) : %2 mL").arg(MethodName(entry.method), MlText(b.veMl, b.method.standard));
    lines << QStringLiteral("u(Ve) due à la burette (tolérance / √3) : %1 mL").arg(MlText(b.veMl, b.burette.standard));
    lines << QStringLiteral("u(Ve) due à la lecture (tolérance / √3) : %1 mL").arg(MlText(b.veMl, b.reading.standard));
    lines << QStringLiteral("u(Ve) combinée : %1").arg(VeText(entry));
    if (!entry.concentration) {
        lines << QStringLiteral("Ca : précisez Cb et Va dans Edition > Ajouter un commentaire");
        return lines;
    }
    const Uncertainty::Propagation& p = entry.propagation;
    lines << QStringLiteral("Propagation : %1").arg(CaText(entry));
    lines << QStringLiteral("incertitudes relatives : Cb %1 ; Va %2 ; Ve %3")
                 .arg(Percent(p.relativeCb), Percent(p.relativeVa), Percent(p.relativeVe));
    if (entry.monteCarlo)
        lines << MonteCarloText(*entry.monteCarlo);
    if (entry.comparison)
        lines << ReferenceText(*entry.comparison);
    return lines;
}

Reading ReadTolerance(const QString& text, const QString& what, double most, const QString& unit)
{
    if (text.trimmed().isEmpty())
        return {std::nullopt, QStringLiteral("%1 : valeur manquante.").arg(what)};
    const std::optional<double> value = ReadNumber(text);
    if (!value)
        return {std::nullopt, QStringLiteral("%1 : « %2 » n'est pas un nombre.").arg(what, text.trimmed())};
    if (*value < 0.0 || *value > most)
        return {std::nullopt, QStringLiteral("%1 : la valeur doit être comprise entre 0 et %2 %3.")
                                  .arg(what, NumberText::General(most), unit)};
    return {value, QString()};
}

Reading ReadReference(const QString& text)
{
    if (text.trimmed().isEmpty())
        return {std::nullopt, QString()};
    const std::optional<double> value = ReadNumber(text);
    const QString what = QStringLiteral("Ca de référence");
    if (!value)
        return {std::nullopt, QStringLiteral("%1 : « %2 » n'est pas un nombre.").arg(what, text.trimmed())};
    if (!(*value > 0.0))
        return {std::nullopt, QStringLiteral("%1 : la valeur doit être supérieure à 0 mol/L.").arg(what)};
    return {value, QString()};
}

}  // namespace UncertaintyResults
