#include "chemistry/TitrationFit.h"

#include "chemistry/CurveSampling.h"
#include "chemistry/FitText.h"
#include "chemistry/LeastSquares.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace TitrationFit {

namespace {

using namespace TitrationChemistry;

// The fit moves log10(Ca) rather than Ca, which keeps the concentration positive and makes
// the sum of squares about as curved on either side of the minimum.
enum Parameter { kLogConcentration = 0, kPKa = 1, kOffset = 2 };

struct Range {
    double low;
    double high;
};
// Where the model means something: 1e-7 to 10 mol/L, pKa -1 to 15, offset within 3 pH.
constexpr std::array<Range, 3> kDomain = {{{-7.0, 1.0}, {-1.0, 15.0}, {-3.0, 3.0}}};
// A fitted value this close to the edge of the domain was stopped there, not found.
constexpr double kEdgeMargin = 1e-3;
// Starts tried for the jump's volume, spread over the measured volumes.
constexpr int kJumpStarts = 40;

const double kLn10 = std::log(10.0);

double Get(const Model& model, int parameter)
{
    switch (parameter) {
    case kLogConcentration:
        return std::log10(model.titration.beakerMolPerL);
    case kPKa:
        return model.titration.pKa;
    default:
        return model.pHOffset;
    }
}

void Set(Model& model, int parameter, double value)
{
    switch (parameter) {
    case kLogConcentration:
        model.titration.beakerMolPerL = std::pow(10.0, value);
        break;
    case kPKa:
        model.titration.pKa = value;
        break;
    default:
        model.pHOffset = value;
        break;
    }
}

}  // namespace

double ModelPH(const Model& model, double addedMl)
{
    return PH(model.titration, addedMl) + model.pHOffset;
}

QList<QPointF> Curve(const Model& model, double fromMl, double toMl)
{
    return CurveSampling::Sample([&model](double ml) { return ModelPH(model, ml); }, fromMl, toMl);
}

FitPoints PrepareFitPoints(const QList<QPointF>& measured, int freeCount, bool modelRising)
{
    FitPoints prepared;
    std::vector<QPointF>& points = prepared.points;
    for (const QPointF& p : measured)
        if (std::isfinite(p.x()) && std::isfinite(p.y()))
            points.push_back(p);
    std::stable_sort(points.begin(), points.end(), [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
    const int n = static_cast<int>(points.size());
    const int needed = std::max(kMinimumPoints, freeCount + 2);
    if (n < needed) {
        prepared.refusal
            = QStringLiteral("Trop peu de points pour ajuster ce modèle : il en faut au moins %1.").arg(needed);
        return prepared;
    }
    const auto [lowest, highest] = std::minmax_element(points.begin(), points.end(),
                                                       [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
    if (!(highest->y() - lowest->y() >= kMinimumChangePH)) {
        prepared.refusal = QStringLiteral("La courbe mesurée varie de moins de 1 pH : elle ne permet pas "
                                          "d'ajuster un modèle.");
        return prepared;
    }
    // The direction of the curve, from the mean pH of its first and last tenths.
    const int tenth = std::max(1, n / 10);
    double first = 0.0;
    double last = 0.0;
    for (int i = 0; i < tenth; ++i) {
        first += points[static_cast<std::size_t>(i)].y();
        last += points[static_cast<std::size_t>(n - 1 - i)].y();
    }
    const bool measuredRising = last > first;
    if (measuredRising != modelRising)
        prepared.refusal = measuredRising ? QStringLiteral("Le modèle choisi fait descendre le pH, la courbe mesurée "
                                                           "monte : il ne peut pas la décrire.")
                                          : QStringLiteral("Le modèle choisi fait monter le pH, la courbe mesurée "
                                                           "descend : il ne peut pas la décrire.");
    return prepared;
}

Outcome Fit(const Model& start, const Adjusted& adjusted, const QList<QPointF>& measured)
{
    Outcome outcome;
    const Titration& t = start.titration;
    if (!(t.beakerMolPerL > 0.0 && t.buretteMolPerL > 0.0 && t.beakerVolumeMl > 0.0) || !std::isfinite(t.pKa)
        || !std::isfinite(start.pHOffset) || !std::isfinite(t.beakerMolPerL) || !std::isfinite(t.buretteMolPerL)
        || !std::isfinite(t.beakerVolumeMl)) {
        outcome.refusal = QStringLiteral("Les valeurs de départ du modèle sont incorrectes : Ca, Cb et Va "
                                                 "doivent être positifs.");
        return outcome;
    }
    if (!Titrates(t.species, t.reagent)) {
        outcome.refusal = QStringLiteral("Ce modèle n'a pas d'équivalence : un acide se titre par une base "
                                                 "forte, une base par un acide fort.");
        return outcome;
    }
    std::vector<int> free;
    if (adjusted.beakerMolPerL)
        free.push_back(kLogConcentration);
    if (adjusted.pKa && IsWeak(t.species))
        free.push_back(kPKa);
    if (adjusted.pHOffset)
        free.push_back(kOffset);
    if (free.empty()) {
        outcome.refusal = QStringLiteral("Aucun paramètre à ajuster : cochez Ca, le pKa ou le décalage du pH.");
        return outcome;
    }

    FitPoints prepared = PrepareFitPoints(measured, static_cast<int>(free.size()), Rising(t.reagent));
    if (!prepared.refusal.isEmpty()) {
        outcome.refusal = prepared.refusal;
        return outcome;
    }
    std::vector<QPointF> points = std::move(prepared.points);
    const int n = static_cast<int>(points.size());
    std::vector<double> volumes;
    volumes.reserve(points.size());
    for (const QPointF& p : points)
        volumes.push_back(p.x());

    auto toModel = [&](const LeastSquares::Vector& values) {
        Model model = start;
        for (std::size_t j = 0; j < free.size(); ++j)
            Set(model, free[j], values[j]);
        return model;
    };
    const LeastSquares::Residuals residuals = [&](const LeastSquares::Vector& values, LeastSquares::Vector& r) {
        for (std::size_t j = 0; j < free.size(); ++j) {
            const Range& range = kDomain[static_cast<std::size_t>(free[j])];
            if (!(values[j] >= range.low && values[j] <= range.high))
                return false;
        }
        const Model model = toModel(values);
        r = PHAt(model.titration, volumes);
        for (std::size_t i = 0; i < points.size(); ++i)
            r[i] = points[i].y() - r[i] - model.pHOffset;
        return true;
    };
    auto sumOfSquares = [&](const LeastSquares::Vector& values) {
        LeastSquares::Vector r;
        if (!residuals(values, r))
            return HUGE_VAL;
        double sum = 0.0;
        for (double v : r)
            sum += v * v;
        return sum;
    };

    // Starts: the given model, kept inside the domain; then, when Ca is free, the best of the
    // jumps placed along the measured volumes; then that one with the pKa read at its half.
    std::vector<LeastSquares::Vector> starts;
    LeastSquares::Vector given(free.size());
    for (std::size_t j = 0; j < free.size(); ++j) {
        const Range& range = kDomain[static_cast<std::size_t>(free[j])];
        const double margin = 10.0 * kEdgeMargin;
        given[j] = std::clamp(Get(start, free[j]), range.low + margin, range.high - margin);
    }
    starts.push_back(given);
    if (free.front() == kLogConcentration) {
        const double from = points.front().x();
        const double to = points.back().x();
        LeastSquares::Vector best = given;
        double bestSum = HUGE_VAL;
        for (int k = 0; k < kJumpStarts; ++k) {
            const double jumpMl = from + (to - from) * (k + 0.5) / kJumpStarts;
            if (!(jumpMl > 0.0))
                continue;
            LeastSquares::Vector candidate = given;
            candidate[0] = std::log10(t.buretteMolPerL * jumpMl / t.beakerVolumeMl);
            const double sum = sumOfSquares(candidate);
            if (sum < bestSum) {
                bestSum = sum;
                best = candidate;
            }
        }
        if (bestSum < HUGE_VAL) {
            starts.push_back(best);
            const auto pKaAt = std::find(free.begin(), free.end(), kPKa);
            if (pKaAt != free.end()) {
                const double halfMl = EquivalenceVolumeMl(toModel(best).titration) / 2.0;
                if (halfMl >= from && halfMl <= to) {
                    LeastSquares::Vector half = best;
                    const Range& range = kDomain[kPKa];
                    half[static_cast<std::size_t>(pKaAt - free.begin())]
                        = std::clamp(CurveSampling::Interpolate(points, halfMl) - start.pHOffset, range.low + 0.01, range.high - 0.01);
                    starts.push_back(half);
                }
            }
        }
    }

    // The closest start first; the others only when it does not converge.
    std::vector<std::pair<double, LeastSquares::Vector>> ordered;
    for (const LeastSquares::Vector& s : starts)
        ordered.emplace_back(sumOfSquares(s), s);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::optional<LeastSquares::Result> best;
    for (const auto& [sum, s] : ordered) {
        LeastSquares::Result fitted = LeastSquares::LevenbergMarquardt(residuals, s);
        if (fitted.converged) {
            best = std::move(fitted);
            break;
        }
    }
    if (!best) {
        outcome.refusal = QStringLiteral("L'ajustement n'a pas convergé.");
        return outcome;
    }
    for (std::size_t j = 0; j < free.size(); ++j) {
        const Range& range = kDomain[static_cast<std::size_t>(free[j])];
        const double value = best->parameters[j];
        if (value - range.low < kEdgeMargin || range.high - value < kEdgeMargin) {
            outcome.refusal = QStringLiteral("L'ajustement sort du domaine du modèle (concentration, pKa ou "
                                                     "décalage invraisemblable) : ce modèle ne décrit pas la courbe.");
            return outcome;
        }
    }
    if (best->inverseNormal.empty()) {
        outcome.refusal = QStringLiteral("Les points ne déterminent pas tous les paramètres cochés : "
                                                 "ajustez-en moins.");
        return outcome;
    }
    const double freedom = static_cast<double>(n - static_cast<int>(free.size()));
    const double sd = std::sqrt(best->sumOfSquares / freedom);
    if (!(sd <= kMaximumResidualSdPH)) {
        outcome.refusal = QStringLiteral("Le modèle ne décrit pas la courbe mesurée : écart-type %1 pH.")
                                      .arg(FitText::Decimal(sd, 2));
        return outcome;
    }

    Result result;
    result.model = toModel(best->parameters);
    result.residualSdPH = sd;
    result.equivalenceMl = EquivalenceVolumeMl(result.model.titration);
    for (std::size_t j = 0; j < free.size(); ++j) {
        const double sigma = sd * std::sqrt(best->inverseNormal[j][j]);
        const double value = best->parameters[j];
        switch (free[j]) {
        case kLogConcentration: {
            const double concentration = std::pow(10.0, value);
            // d(10^x)/dx = 10^x ln 10.
            result.beakerMolPerL = Estimate{concentration, concentration * kLn10 * sigma};
            break;
        }
        case kPKa:
            result.pKa = Estimate{value, sigma};
            break;
        default:
            result.pHOffset = Estimate{value, sigma};
            break;
        }
    }
    outcome.result = result;
    return outcome;
}

QString SpeciesName(Species species)
{
    switch (species) {
    case Species::StrongAcid:
        return QStringLiteral("acide fort");
    case Species::WeakAcid:
        return QStringLiteral("acide faible");
    case Species::StrongBase:
        return QStringLiteral("base forte");
    case Species::WeakBase:
        break;
    }
    return QStringLiteral("base faible");
}

QString Description(const Model& model)
{
    const Titration& t = model.titration;
    // "titré" agrees with acide, "titrée" with base.
    return SpeciesName(t.species) + (IsAcid(t.species) ? QStringLiteral(" titré") : QStringLiteral(" titrée"))
           + (t.reagent == Reagent::StrongBase ? QStringLiteral(" par une base forte")
                                               : QStringLiteral(" par un acide fort"));
}

QString ResultText(const Result& result)
{
    QStringList parts;
    if (result.beakerMolPerL)
        parts << QStringLiteral("Ca = %1 mol/L")
                     .arg(FitText::Concentration(result.beakerMolPerL->value, result.beakerMolPerL->uncertainty));
    if (result.pKa)
        parts << QStringLiteral("pKa = %1").arg(FitText::PlusMinus(result.pKa->value, result.pKa->uncertainty));
    if (result.pHOffset)
        parts << QStringLiteral("décalage du pH = %1")
                     .arg(FitText::PlusMinus(result.pHOffset->value, result.pHOffset->uncertainty));
    parts << QStringLiteral("écart-type %1 pH").arg(FitText::Decimal(result.residualSdPH, 2));
    parts << QStringLiteral("Ve = %1 mL").arg(FitText::Decimal(result.equivalenceMl, 2));
    return QStringLiteral("Modèle : ") + parts.join(QStringLiteral(" ; "));
}

QString ClipboardLines(const Result& result)
{
    auto line = [](const QString& caption, const QString& value) { return caption + QLatin1Char('\t') + value + QLatin1Char('\r'); };
    QString text = line(QStringLiteral("Modèle"), Description(result.model));
    if (result.beakerMolPerL) {
        const Estimate& e = *result.beakerMolPerL;
        text += line(QStringLiteral("Ca du modèle en mol/L"), FitText::ConcentrationValue(e.value, e.uncertainty));
        text += line(QStringLiteral("Incertitude-type sur Ca en mol/L"),
                     FitText::ConcentrationUncertainty(e.value, e.uncertainty));
    }
    if (result.pKa) {
        text += line(QStringLiteral("pKa du modèle"), FitText::PHValue(result.pKa->value, result.pKa->uncertainty));
        text += line(QStringLiteral("Incertitude-type sur le pKa"), FitText::PHUncertainty(result.pKa->uncertainty));
    }
    if (result.pHOffset) {
        text += line(QStringLiteral("Décalage du pH du modèle"),
                     FitText::PHValue(result.pHOffset->value, result.pHOffset->uncertainty));
        text += line(QStringLiteral("Incertitude-type sur le décalage du pH"),
                     FitText::PHUncertainty(result.pHOffset->uncertainty));
    }
    text += line(QStringLiteral("Écart-type des résidus en pH"), FitText::Decimal(result.residualSdPH, 2));
    text += line(QStringLiteral("Volume à l'équivalence du modèle en mL"), FitText::Decimal(result.equivalenceMl, 2));
    return text;
}

}  // namespace TitrationFit
