#include "data/Uncertainty.h"

#include "data/NumberText.h"
#include "data/TitrationAnalysis.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace Uncertainty {

namespace {

const double kSqrt3 = std::sqrt(3.0);

// The step of the curve's volumes that holds `veMl`; on a measured volume, the wider of the
// two steps beside it.
double StepAround(const QList<QPointF>& points, double veMl)
{
    const QList<QPointF> curve = TitrationAnalysis::CurvePoints(points);
    if (curve.size() < 2)
        return 0.0;
    const auto after = std::upper_bound(curve.begin(), curve.end(), veMl,
                                        [](double v, const QPointF& p) { return v < p.x(); });
    const qsizetype j = std::clamp<qsizetype>(after - curve.begin(), 1, curve.size() - 1);
    double step = curve[j].x() - curve[j - 1].x();
    if (curve[j - 1].x() == veMl && j >= 2)
        step = std::max(step, curve[j - 1].x() - curve[j - 2].x());
    return step;
}

double Draw(std::mt19937_64& generator, const Component& c)
{
    if (c.standard <= 0.0)
        return 0.0;
    if (c.shape == Shape::Normal)
        return std::normal_distribution<double>(0.0, c.standard)(generator);
    const double halfWidth = c.standard * kSqrt3;
    return std::uniform_real_distribution<double>(-halfWidth, halfWidth)(generator);
}

QString Line(const QString& caption, const QString& value)
{
    return caption + QLatin1Char('\t') + value + QLatin1Char('\r');
}

}  // namespace

double FromTolerance(double halfWidth)
{
    return std::abs(halfWidth) / kSqrt3;
}

Component PeakUncertainty(const QList<QPointF>& points, double veMl)
{
    return {StepAround(points, veMl) / std::sqrt(12.0), Shape::Rectangular};
}

Component TangentUncertainty(const QList<QPointF>& points, double veMl)
{
    return {StepAround(points, veMl) / std::sqrt(12.0), Shape::Rectangular};
}

Component ConductimetricUncertainty(const ConductimetricAnalysis::Result& result)
{
    return {result.standardUncertaintyMl, Shape::Normal};
}

Component ModelUncertainty(double veMl, double fittedMolPerL, double fittedUncertaintyMolPerL)
{
    if (!(fittedMolPerL > 0.0))
        return {0.0, Shape::Normal};
    return {std::abs(veMl) * fittedUncertaintyMolPerL / fittedMolPerL, Shape::Normal};
}

Budget MakeBudget(double cbMolPerL, double vaMl, double veMl, Component method, const Tolerances& tolerances)
{
    Budget b;
    b.cbMolPerL = cbMolPerL;
    b.cb = {FromTolerance(tolerances.buretteConcentrationMolPerL), Shape::Rectangular};
    b.vaMl = vaMl;
    b.va = {FromTolerance(tolerances.pipetteMl), Shape::Rectangular};
    b.veMl = veMl;
    b.method = method;
    b.burette = {FromTolerance(tolerances.buretteMl), Shape::Rectangular};
    b.reading = {FromTolerance(tolerances.readingMl), Shape::Rectangular};
    return b;
}

double VeUncertainty(const Budget& b)
{
    return std::sqrt(b.method.standard * b.method.standard + b.burette.standard * b.burette.standard
                     + b.reading.standard * b.reading.standard);
}

bool Computable(const Budget& b)
{
    return b.cbMolPerL > 0.0 && b.vaMl > 0.0 && b.veMl > 0.0 && std::isfinite(b.cbMolPerL * b.veMl / b.vaMl);
}

Propagation Propagate(const Budget& b)
{
    Propagation p;
    if (!Computable(b))
        return p;
    p.caMolPerL = b.cbMolPerL * b.veMl / b.vaMl;
    p.relativeCb = b.cb.standard / b.cbMolPerL;
    p.relativeVa = b.va.standard / b.vaMl;
    p.relativeVe = VeUncertainty(b) / b.veMl;
    p.uCaMolPerL = std::abs(p.caMolPerL)
                   * std::sqrt(p.relativeCb * p.relativeCb + p.relativeVa * p.relativeVa + p.relativeVe * p.relativeVe);
    return p;
}

MonteCarloResult MonteCarlo(const Budget& b, int draws, std::uint64_t seed, int bins)
{
    MonteCarloResult result;
    result.draws = Computable(b) ? std::max(0, draws) : 0;
    if (result.draws == 0)
        return result;
    std::mt19937_64 generator(seed);
    std::vector<double> ca(static_cast<std::size_t>(result.draws));
    double sum = 0.0;
    for (double& value : ca) {
        const double cb = b.cbMolPerL + Draw(generator, b.cb);
        const double va = b.vaMl + Draw(generator, b.va);
        const double ve = b.veMl + Draw(generator, b.method) + Draw(generator, b.burette) + Draw(generator, b.reading);
        value = cb * ve / va;
        sum += value;
    }
    result.meanMolPerL = sum / result.draws;
    double squares = 0.0;
    for (const double value : ca)
        squares += (value - result.meanMolPerL) * (value - result.meanMolPerL);
    result.standardDeviationMolPerL = result.draws > 1 ? std::sqrt(squares / (result.draws - 1)) : 0.0;
    result.histogram = Histogram::Of(ca, bins);
    return result;
}

std::optional<Written> Write(double value, double u)
{
    return UncertainNumber::Write(value, u);
}

QString ResultText(const QString& symbol, double value, double u, const QString& unit)
{
    const QString unitText = unit.isEmpty() ? QString() : QLatin1Char(' ') + unit;
    const std::optional<Written> w = Write(value, u);
    if (!w)
        return QStringLiteral("%1 = %2%3").arg(symbol, NumberText::General(value), unitText);
    // Without a power of ten or a unit the brackets hold nothing apart: "pKa = 4,771 ± 0,021".
    if (w->exponent == 0 && unit.isEmpty())
        return QStringLiteral("%1 = %2 ± %3").arg(symbol, w->value, w->uncertainty);
    return QStringLiteral("%1 = %2%3").arg(symbol, UncertainNumber::Bracketed(value, u), unitText);
}

std::pair<QString, QString> SpreadsheetPair(double value, double u)
{
    const std::optional<Written> w = Write(value, u);
    if (!w)
        return {NumberText::General(value), NumberText::General(u)};
    const QString power = w->exponent != 0 ? QStringLiteral("E%1").arg(w->exponent) : QString();
    return {w->value + power, w->uncertainty + power};
}

std::optional<Comparison> Compare(double value, double u, double reference)
{
    if (!std::isfinite(value) || !std::isfinite(reference) || !std::isfinite(u) || !(u > 0.0))
        return std::nullopt;
    Comparison c;
    c.reference = reference;
    c.z = std::abs(value - reference) / u;
    c.compatible = c.z <= kCompatibleGap;
    return c;
}

QString ComparisonText(const Comparison& comparison)
{
    const QString z = NumberText::Fixed(comparison.z, 15, comparison.z < 10.0 ? 2 : 1);
    return QStringLiteral("Écart normalisé à la référence : z = %1 ; %2")
        .arg(z, comparison.compatible ? QStringLiteral("compatible") : QStringLiteral("non compatible (z > 2)"));
}

QString ClipboardLines(const Budget& budget, const std::optional<MonteCarloResult>& monteCarlo,
                       const std::optional<Comparison>& comparison)
{
    const double uVe = VeUncertainty(budget);
    // Each part written as an uncertainty on Ve is, in mL.
    const auto part = [&budget](double u) { return SpreadsheetPair(budget.veMl, u).second; };
    const QString uVeText = SpreadsheetPair(budget.veMl, uVe).second;
    QString text = Line(QStringLiteral("Incertitude-type sur Ve due à la méthode en mL"), part(budget.method.standard));
    text += Line(QStringLiteral("Incertitude-type sur Ve due à la burette en mL"), part(budget.burette.standard));
    text += Line(QStringLiteral("Incertitude-type sur Ve due à la lecture en mL"), part(budget.reading.standard));
    text += Line(QStringLiteral("Incertitude-type sur Ve en mL"), uVeText);
    const Propagation p = Propagate(budget);
    const auto [ca, uCa] = SpreadsheetPair(p.caMolPerL, p.uCaMolPerL);
    text += Line(QStringLiteral("Ca (propagation) en mol/L"), ca);
    text += Line(QStringLiteral("Incertitude-type sur Ca (propagation) en mol/L"), uCa);
    if (monteCarlo) {
        const auto [mean, sd] = SpreadsheetPair(monteCarlo->meanMolPerL, monteCarlo->standardDeviationMolPerL);
        text += Line(QStringLiteral("Ca (Monte-Carlo, %1 tirages) en mol/L").arg(monteCarlo->draws), mean);
        text += Line(QStringLiteral("Écart-type de Ca (Monte-Carlo) en mol/L"), sd);
    }
    if (comparison) {
        text += Line(QStringLiteral("Ca de référence en mol/L"), NumberText::General(comparison->reference));
        text += Line(QStringLiteral("Écart normalisé z"), NumberText::Fixed(comparison->z, 15, 2));
        text += Line(QStringLiteral("Compatible avec la référence"),
                     comparison->compatible ? QStringLiteral("oui") : QStringLiteral("non"));
    }
    return text;
}

}  // namespace Uncertainty
