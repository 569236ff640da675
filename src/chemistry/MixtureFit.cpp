#include "chemistry/MixtureFit.h"

#include "chemistry/CurveSampling.h"
#include "chemistry/FitText.h"
#include "chemistry/LeastSquares.h"
#include "chemistry/TitrationFit.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace MixtureFit {

namespace {

using MixtureTitration::Component;
using MixtureTitration::Reagent;
using Kind = Parameter::Kind;

struct Range {
    double low;
    double high;
};

// Where the model means something: log10 of 1e-7 to 10 mol/L (the fit moves log10 C, which
// keeps C positive and the sum of squares about as curved on either side of its minimum), pKa
// -1 to 15, offset within 3 pH.
Range DomainOf(const Parameter& p)
{
    switch (p.kind) {
    case Kind::Concentration:
        return {-7.0, 1.0};
    case Kind::PKa:
        return {-1.0, 15.0};
    case Kind::PHOffset:
        break;
    }
    return {-3.0, 3.0};
}

// A fitted value this close to the edge of the domain was stopped there, not found.
constexpr double kEdgeMargin = 1e-3;
// Volumes tried for the steps of one free concentration, or per axis for two.
constexpr int kScanOne = 40;
constexpr int kScanTwo = 16;
// Starts the fit goes from, the closest to the points first.
constexpr std::size_t kFitsTried = 3;

const double kLn10 = std::log(10.0);

bool Exists(const Model& m, const Parameter& p)
{
    if (p.kind == Kind::PHOffset)
        return true;
    if (p.component < 0 || p.component >= static_cast<int>(m.titration.beaker.size()))
        return false;
    const AcidBaseCouple& couple = m.titration.beaker[static_cast<std::size_t>(p.component)].couple;
    return p.kind == Kind::Concentration || (p.acidity >= 0 && p.acidity < static_cast<int>(couple.pKa.size()));
}

Component& ComponentOf(Model& m, const Parameter& p)
{
    return m.titration.beaker[static_cast<std::size_t>(p.component)];
}

const Component& ComponentOf(const Model& m, const Parameter& p)
{
    return m.titration.beaker[static_cast<std::size_t>(p.component)];
}

// In fit units: log10 of a concentration.
double Get(const Model& m, const Parameter& p)
{
    switch (p.kind) {
    case Kind::Concentration:
        return std::log10(ComponentOf(m, p).molPerL);
    case Kind::PKa:
        return ComponentOf(m, p).couple.pKa[static_cast<std::size_t>(p.acidity)];
    case Kind::PHOffset:
        break;
    }
    return m.pHOffset;
}

void Set(Model& m, const Parameter& p, double value)
{
    switch (p.kind) {
    case Kind::Concentration:
        ComponentOf(m, p).molPerL = std::pow(10.0, value);
        return;
    case Kind::PKa:
        ComponentOf(m, p).couple.pKa[static_cast<std::size_t>(p.acidity)] = value;
        return;
    case Kind::PHOffset:
        break;
    }
    m.pHOffset = value;
}

bool AscendingPKa(const Model& m)
{
    for (const Component& c : m.titration.beaker)
        for (std::size_t k = 1; k < c.couple.pKa.size(); ++k)
            if (!(c.couple.pKa[k] > c.couple.pKa[k - 1]))
                return false;
    return true;
}

// The form put in: "H3PO4", "CO3 2−", or the strong species' one form.
QString FormPutIn(const Component& c)
{
    const int index = c.couple.Strong() ? 0 : c.couple.Acidities() - c.protons;
    return c.couple.species.value(index);
}

QString SpeciesName(const Component& c)
{
    if (c.protons == c.couple.Acidities())
        return c.couple.acidName;
    if (c.protons == 0)
        return c.couple.baseName;
    return FormPutIn(c);
}

bool Feminine(const Component& c)
{
    return c.protons == 0 && c.couple.baseFeminine;
}

QString Line(const QString& caption, const QString& value)
{
    return caption + QLatin1Char('\t') + value + QLatin1Char('\r');
}


// The fit's question: the start, the free parameters (in fit units: log10 of a concentration)
// and the measured points sorted by volume.
struct Problem {
    Problem(const Model& start, std::vector<Parameter> free, std::vector<QPointF> points)
        : start(start), free(std::move(free)), points(std::move(points))
    {
        for (const QPointF& p : this->points)
            volumes.push_back(p.x());
    }

    Model ToModel(const LeastSquares::Vector& values) const
    {
        Model model = start;
        for (std::size_t j = 0; j < free.size(); ++j)
            Set(model, free[j], values[j]);
        return model;
    }

    // Measured minus model; false outside the domain, where no step may go.
    bool Residuals(const LeastSquares::Vector& values, LeastSquares::Vector& r) const
    {
        for (std::size_t j = 0; j < free.size(); ++j) {
            const Range range = DomainOf(free[j]);
            if (!(values[j] >= range.low && values[j] <= range.high))
                return false;
        }
        const Model model = ToModel(values);
        if (!AscendingPKa(model))
            return false;
        r = MixtureTitration::PHAt(model.titration, volumes);
        for (std::size_t i = 0; i < points.size(); ++i)
            r[i] = points[i].y() - r[i] - model.pHOffset;
        return true;
    }

    double SumOfSquares(const LeastSquares::Vector& values) const
    {
        LeastSquares::Vector r;
        if (!Residuals(values, r))
            return HUGE_VAL;
        double sum = 0.0;
        for (double v : r)
            sum += v * v;
        return sum;
    }

    const Model& start;
    const std::vector<Parameter> free;
    const std::vector<QPointF> points;
    std::vector<double> volumes;
};

// `values` with each free pKa read where the model's steps are half done, pH = pKa there for a
// step well apart from the others; empty when no free pKa has its middle on the curve. Read on a
// curve whose steps overlap, the pKa may come out of order: they go back to the acidities of
// their species in ascending order.
std::optional<LeastSquares::Vector> ReadPKa(const Problem& problem, LeastSquares::Vector values)
{
    const Model model = problem.ToModel(values);
    const std::vector<Parameter>& free = problem.free;
    double previousMl = 0.0;
    bool moved = false;
    for (const MixtureTitration::Step& step : MixtureTitration::Steps(model.titration)) {
        const double middleMl = (previousMl + step.endMl) / 2.0;
        previousMl = step.endMl;
        const auto at = std::find(free.begin(), free.end(), Parameter{Kind::PKa, step.component, step.acidity});
        if (at == free.end() || middleMl < problem.points.front().x() || middleMl > problem.points.back().x())
            continue;
        values[static_cast<std::size_t>(at - free.begin())]
            = std::clamp(CurveSampling::Interpolate(problem.points, middleMl) - model.pHOffset, -0.99, 14.99);
        moved = true;
    }
    if (!moved)
        return std::nullopt;
    for (std::size_t c = 0; c < model.titration.beaker.size(); ++c) {
        std::vector<std::size_t> places;
        std::vector<double> read;
        for (std::size_t j = 0; j < free.size(); ++j) {
            if (free[j].kind == Kind::PKa && free[j].component == static_cast<int>(c)) {
                places.push_back(j);
                read.push_back(values[j]);
            }
        }
        std::sort(read.begin(), read.end());
        for (std::size_t k = 0; k < places.size(); ++k)
            values[places[k]] = read[k];
    }
    return values;
}

// Where the fit may start: the given model kept inside the domain; with the concentrations free,
// the steps placed along the measured volumes (one concentration at a time, or both on a grid,
// each as if its first step ended there), the pKa kept or read again at each placing; each of
// these with the pKa read on the curve.
std::vector<LeastSquares::Vector> Starts(const Problem& problem)
{
    const std::vector<Parameter>& free = problem.free;
    LeastSquares::Vector given(free.size());
    for (std::size_t j = 0; j < free.size(); ++j) {
        const Range range = DomainOf(free[j]);
        given[j] = std::clamp(Get(problem.start, free[j]), range.low + 10.0 * kEdgeMargin, range.high - 10.0 * kEdgeMargin);
    }
    std::vector<LeastSquares::Vector> starts{given};
    if (const auto read = ReadPKa(problem, given))
        starts.push_back(*read);

    std::vector<std::size_t> concentrations;
    for (std::size_t j = 0; j < free.size(); ++j)
        if (free[j].kind == Kind::Concentration)
            concentrations.push_back(j);
    if (concentrations.empty())
        return starts;
    const MixtureTitration::Titration& t = problem.start.titration;
    const double fromMl = problem.points.front().x();
    const double toMl = problem.points.back().x();
    const int count = concentrations.size() == 1 ? kScanOne : kScanTwo;
    auto logConcentrationAt = [&](int k) {
        const double stepMl = fromMl + (toMl - fromMl) * (k + 0.5) / count;
        return stepMl > 0.0 ? std::log10(t.buretteMolPerL * stepMl / t.beakerVolumeMl) : -HUGE_VAL;
    };
    struct Best {
        LeastSquares::Vector values;
        double sum = HUGE_VAL;
        void Offer(const LeastSquares::Vector& candidate, double candidateSum)
        {
            if (candidateSum < sum) {
                sum = candidateSum;
                values = candidate;
            }
        }
    };
    Best kept;
    Best reread;
    const int second = concentrations.size() == 1 ? 1 : count;
    for (int a = 0; a < count; ++a) {
        for (int b = 0; b < second; ++b) {
            LeastSquares::Vector candidate = given;
            candidate[concentrations[0]] = logConcentrationAt(a);
            if (concentrations.size() > 1)
                candidate[concentrations[1]] = logConcentrationAt(b);
            kept.Offer(candidate, problem.SumOfSquares(candidate));
            if (const auto read = ReadPKa(problem, candidate))
                reread.Offer(*read, problem.SumOfSquares(*read));
        }
    }
    for (const Best* best : {&kept, &reread}) {
        if (best->sum < HUGE_VAL) {
            starts.push_back(best->values);
            if (const auto read = ReadPKa(problem, best->values))
                starts.push_back(*read);
        }
    }
    return starts;
}

}  // namespace

double ModelPH(const Model& model, double addedMl)
{
    return MixtureTitration::PH(model.titration, addedMl) + model.pHOffset;
}

QList<QPointF> Curve(const Model& model, double fromMl, double toMl)
{
    if (!MixtureTitration::Check(model.titration).isEmpty())
        return {};
    return CurveSampling::Sample([&model](double ml) { return ModelPH(model, ml); }, fromMl, toMl);
}

std::vector<Parameter> Parameters(const Model& model)
{
    std::vector<Parameter> parameters;
    const int count = static_cast<int>(model.titration.beaker.size());
    for (int i = 0; i < count; ++i)
        parameters.push_back({Kind::Concentration, i, 0});
    for (int i = 0; i < count; ++i) {
        const int acidities = static_cast<int>(model.titration.beaker[static_cast<std::size_t>(i)].couple.pKa.size());
        for (int k = 0; k < acidities; ++k)
            parameters.push_back({Kind::PKa, i, k});
    }
    parameters.push_back({Kind::PHOffset, 0, 0});
    return parameters;
}

QString ParameterName(const Model& model, const Parameter& p)
{
    if (p.kind == Kind::PHOffset || !Exists(model, p))
        return QStringLiteral("décalage du pH");
    const bool single = model.titration.beaker.size() == 1;
    const Component& c = ComponentOf(model, p);
    if (p.kind == Kind::Concentration)
        return single ? QStringLiteral("Ca") : QStringLiteral("C(%1)").arg(FormPutIn(c));
    if (!single)
        return QStringLiteral("pKa(%1)").arg(AcidBaseCouples::StepName(c.couple, p.acidity));
    return c.couple.pKa.size() == 1 ? QStringLiteral("pKa") : QStringLiteral("pKa%1").arg(p.acidity + 1);
}

Outcome Fit(const Model& start, const std::vector<Parameter>& adjusted, const QList<QPointF>& measured)
{
    Outcome outcome;
    QString invalid = MixtureTitration::Check(start.titration);
    if (invalid.isEmpty() && !std::isfinite(start.pHOffset))
        invalid = QStringLiteral("Le décalage du pH n'est pas un nombre.");
    if (!invalid.isEmpty()) {
        invalid[0] = invalid[0].toLower();
        outcome.refusal = QStringLiteral("Les valeurs de départ du modèle sont incorrectes : ") + invalid;
        return outcome;
    }
    if (!MixtureTitration::Titrates(start.titration)) {
        outcome.refusal = QStringLiteral("Ce modèle n'a pas d'équivalence : un acide se titre par une base "
                                         "forte, une base par un acide fort.");
        return outcome;
    }
    // The parameters in the order of Parameters(), each once.
    std::vector<Parameter> free;
    for (const Parameter& p : Parameters(start))
        if (std::find(adjusted.begin(), adjusted.end(), p) != adjusted.end())
            free.push_back(p);
    for (const Parameter& p : adjusted) {
        if (!Exists(start, p)) {
            outcome.refusal = QStringLiteral("Un paramètre coché n'existe pas dans ce modèle.");
            return outcome;
        }
    }
    if (free.empty()) {
        outcome.refusal = QStringLiteral("Aucun paramètre à ajuster : cochez une concentration, un pKa ou le "
                                         "décalage du pH.");
        return outcome;
    }

    TitrationFit::FitPoints prepared = TitrationFit::PrepareFitPoints(
        measured, static_cast<int>(free.size()), TitrationChemistry::Rising(start.titration.reagent));
    if (!prepared.refusal.isEmpty()) {
        outcome.refusal = prepared.refusal;
        return outcome;
    }
    std::vector<QPointF> points = std::move(prepared.points);
    const int n = static_cast<int>(points.size());

    const Problem problem(start, free, std::move(points));
    const LeastSquares::Residuals residuals = [&problem](const LeastSquares::Vector& values, LeastSquares::Vector& r) {
        return problem.Residuals(values, r);
    };
    std::vector<std::pair<double, LeastSquares::Vector>> ordered;
    for (const LeastSquares::Vector& s : Starts(problem)) {
        const double sum = problem.SumOfSquares(s);
        if (sum < HUGE_VAL)
            ordered.emplace_back(sum, s);
    }
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::optional<LeastSquares::Result> best;
    for (std::size_t i = 0; i < ordered.size() && i < kFitsTried; ++i) {
        LeastSquares::Result fitted = LeastSquares::LevenbergMarquardt(residuals, ordered[i].second);
        if (fitted.converged && (!best || fitted.sumOfSquares < best->sumOfSquares))
            best = std::move(fitted);
    }
    if (!best) {
        outcome.refusal = QStringLiteral("L'ajustement n'a pas convergé.");
        return outcome;
    }
    for (std::size_t j = 0; j < free.size(); ++j) {
        const Range range = DomainOf(free[j]);
        const double value = best->parameters[j];
        if (value - range.low < kEdgeMargin || range.high - value < kEdgeMargin) {
            outcome.refusal = QStringLiteral("L'ajustement sort du domaine du modèle (concentration, pKa ou "
                                             "décalage invraisemblable) : ce modèle ne décrit pas la courbe.");
            return outcome;
        }
    }
    if (best->inverseNormal.empty()) {
        outcome.refusal = QStringLiteral("Les points ne déterminent pas tous les paramètres cochés : ajustez-en moins.");
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
    result.model = problem.ToModel(best->parameters);
    result.residualSdPH = sd;
    result.equivalenceMl = MixtureTitration::EquivalenceVolumesMl(result.model.titration);
    // d(10^x)/dx = 10^x ln 10 carries the covariance of log10 C over to C.
    std::vector<double> toUnits(free.size(), 1.0);
    for (std::size_t j = 0; j < free.size(); ++j) {
        double value = best->parameters[j];
        if (free[j].kind == Kind::Concentration) {
            value = std::pow(10.0, value);
            toUnits[j] = value * kLn10;
        }
        result.estimates.push_back({free[j], value, sd * toUnits[j] * std::sqrt(best->inverseNormal[j][j])});
    }
    result.covariance.assign(free.size(), std::vector<double>(free.size()));
    for (std::size_t j = 0; j < free.size(); ++j)
        for (std::size_t k = 0; k < free.size(); ++k)
            result.covariance[j][k] = sd * sd * best->inverseNormal[j][k] * toUnits[j] * toUnits[k];
    outcome.result = std::move(result);
    return outcome;
}

QString Description(const Model& model)
{
    const MixtureTitration::Titration& t = model.titration;
    const QString by = t.reagent == Reagent::StrongBase ? QStringLiteral(" par une base forte")
                                                        : QStringLiteral(" par un acide fort");
    if (t.beaker.size() == 1) {
        const Component& c = t.beaker.front();
        // "titré" agrees with acide, ion, ammoniac; "titrée" with base, méthylamine.
        return SpeciesName(c) + (Feminine(c) ? QStringLiteral(" titrée") : QStringLiteral(" titré")) + by;
    }
    QStringList names;
    for (const Component& c : t.beaker)
        names << SpeciesName(c);
    return QStringLiteral("mélange ") + names.join(QStringLiteral(" + ")) + QStringLiteral(" titré") + by;
}

QString ResultText(const Result& result)
{
    QStringList parts;
    for (const Estimate& e : result.estimates) {
        const QString name = ParameterName(result.model, e.parameter);
        if (e.parameter.kind == Kind::Concentration)
            parts << QStringLiteral("%1 = %2 mol/L").arg(name, FitText::Concentration(e.value, e.uncertainty));
        else
            parts << QStringLiteral("%1 = %2").arg(name, FitText::PlusMinus(e.value, e.uncertainty));
    }
    parts << QStringLiteral("écart-type %1 pH").arg(FitText::Decimal(result.residualSdPH, 2));
    const std::vector<double>& ve = result.equivalenceMl;
    for (std::size_t i = 0; i < ve.size(); ++i)
        parts << (ve.size() == 1 ? QStringLiteral("Ve = %1 mL").arg(FitText::Decimal(ve[i], 2))
                                 : QStringLiteral("Ve%1 = %2 mL").arg(i + 1).arg(FitText::Decimal(ve[i], 2)));
    return QStringLiteral("Modèle : ") + parts.join(QStringLiteral(" ; "));
}

QString ClipboardLines(const Result& result)
{
    QString text = Line(QStringLiteral("Modèle"), Description(result.model));
    for (const Estimate& e : result.estimates) {
        const QString name = ParameterName(result.model, e.parameter);
        switch (e.parameter.kind) {
        case Kind::Concentration:
            text += Line(QStringLiteral("%1 du modèle en mol/L").arg(name),
                         FitText::ConcentrationValue(e.value, e.uncertainty));
            text += Line(QStringLiteral("Incertitude-type sur %1 en mol/L").arg(name),
                         FitText::ConcentrationUncertainty(e.value, e.uncertainty));
            break;
        case Kind::PKa:
            text += Line(QStringLiteral("%1 du modèle").arg(name), FitText::PHValue(e.value, e.uncertainty));
            text += Line(QStringLiteral("Incertitude-type sur le %1").arg(name), FitText::PHUncertainty(e.uncertainty));
            break;
        case Kind::PHOffset:
            text += Line(QStringLiteral("Décalage du pH du modèle"), FitText::PHValue(e.value, e.uncertainty));
            text += Line(QStringLiteral("Incertitude-type sur le décalage du pH"), FitText::PHUncertainty(e.uncertainty));
            break;
        }
    }
    text += Line(QStringLiteral("Écart-type des résidus en pH"), FitText::Decimal(result.residualSdPH, 2));
    const std::vector<double>& ve = result.equivalenceMl;
    for (std::size_t i = 0; i < ve.size(); ++i)
        text += Line(ve.size() == 1 ? QStringLiteral("Volume à l'équivalence du modèle en mL")
                                    : QStringLiteral("Volume à l'équivalence %1 du modèle en mL").arg(i + 1),
                     FitText::Decimal(ve[i], 2));
    // The clipboard's code page has no U+2212.
    return AcidBaseCouples::Plain(text);
}

}  // namespace MixtureFit
