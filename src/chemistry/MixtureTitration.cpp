#include "chemistry/MixtureTitration.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace MixtureTitration {

namespace {

using TitrationChemistry::kWaterIonProduct;

const double kLn10 = std::log(10.0);
constexpr double kMaximumMolPerL = 10.0;
constexpr double kLowestPKa = -1.0;
constexpr double kHighestPKa = 15.0;

// A weak species as the charge balance sees it: its total (beaker concentration, before
// dilution) and the acidity constants of its steps.
struct Weak {
    double molPerL = 0.0;
    int acidities = 0;
    std::array<double, AcidBaseCouples::kMaximumAcidities> ka{};
};

// The titration reduced to what the charge balance needs. A species put in with p of its n
// protons carries, beside its own forms, counter-ions worth n - p charges per molecule, so it
// adds C (n - p) to the positive side and C D(h) to the negative, D being the mean number of
// protons its molecules have lost at that [H+]. A strong acid gives its proton whatever the pH
// (D = 1, p = 1), a strong base takes one (D = 0, p = 0).
struct Balance {
    double beakerMl = 0.0;
    double buretteMolPerL = 0.0;
    bool baseReagent = true;
    double positive = 0.0;  // mol/L before dilution
    double negative = 0.0;
    std::vector<Weak> weak;
};

Balance Prepare(const Titration& t)
{
    Balance b;
    b.beakerMl = t.beakerVolumeMl;
    b.buretteMolPerL = t.buretteMolPerL;
    b.baseReagent = t.reagent == Reagent::StrongBase;
    for (const Component& c : t.beaker) {
        if (c.couple.Strong()) {
            (c.protons > 0 ? b.negative : b.positive) += c.molPerL;
            continue;
        }
        const int n = std::min(c.couple.Acidities(), AcidBaseCouples::kMaximumAcidities);
        b.positive += c.molPerL * (n - c.protons);
        Weak& w = b.weak.emplace_back();
        w.molPerL = c.molPerL;
        w.acidities = n;
        for (int k = 0; k < n; ++k)
            w.ka[static_cast<std::size_t>(k)] = std::pow(10.0, -c.couple.pKa[static_cast<std::size_t>(k)]);
    }
    return b;
}

// The mixture after `addedMl`: the constant parts of both sides, diluted, with the reagent.
struct Diluted {
    double positive = 0.0;
    double negative = 0.0;
    double share = 1.0;  // beaker volume over total volume
};

Diluted Dilute(const Balance& b, double addedMl)
{
    const double added = std::max(0.0, addedMl);
    const double totalMl = b.beakerMl + added;
    Diluted d;
    d.share = b.beakerMl / totalMl;
    d.positive = b.positive * d.share;
    d.negative = b.negative * d.share;
    (b.baseReagent ? d.positive : d.negative) += b.buretteMolPerL * added / totalMl;
    return d;
}

// Mean number of protons lost and its variance at [H+] = h: the forms weigh 1, K1/h,
// K1 K2/h², ... Each ratio stays within 1e-18..1e18 over the bracket below, so their products
// never leave the doubles' range.
void ProtonsLost(const Weak& w, double h, double& mean, double& variance)
{
    double weight = 1.0;
    double sum = 1.0;
    double first = 0.0;
    double second = 0.0;
    for (int j = 1; j <= w.acidities; ++j) {
        weight *= w.ka[static_cast<std::size_t>(j - 1)] / h;
        sum += weight;
        first += j * weight;
        second += j * j * weight;
    }
    mean = first / sum;
    variance = std::max(0.0, second / sum - mean * mean);
}

// h - Kw / h = excess of anions, solved in the form that keeps its precision on both sides.
double StrongOnlyPH(double excess)
{
    const double root = std::sqrt(excess * excess + 4.0 * kWaterIonProduct);
    const double h = excess >= 0.0 ? (excess + root) / 2.0 : 2.0 * kWaterIonProduct / (root - excess);
    return -std::log10(h);
}

// ln(positive charges) - ln(negative charges) as a function of the pH, and its slope: the
// positive side falls and the negative side rises with the pH (every D rises), so the value
// falls steadily and has exactly one root. d D / d pH = ln 10 Var(protons lost).
void Evaluate(const Balance& b, const Diluted& d, double pH, double& value, double& slope)
{
    const double h = std::exp(-kLn10 * pH);
    const double positive = h + d.positive;
    double negative = kWaterIonProduct / h + d.negative;
    double negativeSlope = kWaterIonProduct / h;
    for (const Weak& w : b.weak) {
        double mean = 0.0;
        double variance = 0.0;
        ProtonsLost(w, h, mean, variance);
        negative += w.molPerL * d.share * mean;
        negativeSlope += w.molPerL * d.share * variance;
    }
    value = std::log(positive / negative);
    slope = kLn10 * (-h / positive - negativeSlope / negative);
}

// Newton's steps on the pH kept inside a bracket that always holds the root; a step that
// leaves it is replaced by halving the bracket, so the solution never fails, even where the
// pH jumps. Below pH -3 or above 17, H+ or HO- outweighs every ion of a solution of up to
// 10 mol/L with three acidities.
double Solve(const Balance& b, double addedMl, double guessPH)
{
    const Diluted d = Dilute(b, addedMl);
    if (b.weak.empty())
        return StrongOnlyPH(d.negative - d.positive);
    double low = -3.0;
    double high = 17.0;
    double pH = std::clamp(guessPH, low + 1.0, high - 1.0);
    for (int i = 0; i < 200; ++i) {
        double value = 0.0;
        double slope = 0.0;
        Evaluate(b, d, pH, value, slope);
        if (value == 0.0)
            return pH;
        (value > 0.0 ? low : high) = pH;
        const double step = value / slope;
        if (std::abs(step) < 1e-12 || high - low < 1e-12)
            return std::clamp(pH - step, low, high);
        pH -= step;
        if (!(pH > low && pH < high))
            pH = (low + high) / 2.0;
    }
    return pH;
}

}  // namespace

Component Acid(const AcidBaseCouple& couple, double molPerL)
{
    return Component{couple, couple.Acidities(), molPerL};
}

Component Base(const AcidBaseCouple& couple, double molPerL)
{
    return Component{couple, 0, molPerL};
}

Titration Make(std::vector<Component> beaker, double beakerVolumeMl, Reagent reagent, double buretteMolPerL)
{
    Titration t;
    t.beaker = std::move(beaker);
    t.beakerVolumeMl = beakerVolumeMl;
    t.reagent = reagent;
    t.buretteMolPerL = buretteMolPerL;
    return t;
}

Titration FromSingle(const TitrationChemistry::Titration& single)
{
    using TitrationChemistry::Species;
    Component c;
    switch (single.species) {
    case Species::StrongAcid:
        c = Acid(AcidBaseCouples::StrongAcid(), single.beakerMolPerL);
        break;
    case Species::WeakAcid:
        c = Acid(AcidBaseCouples::WeakAcid({single.pKa}), single.beakerMolPerL);
        break;
    case Species::StrongBase:
        c = Base(AcidBaseCouples::StrongBase(), single.beakerMolPerL);
        break;
    case Species::WeakBase:
        c = Base(AcidBaseCouples::WeakBase({single.pKa}), single.beakerMolPerL);
        break;
    }
    return Make({c}, single.beakerVolumeMl, single.reagent, single.buretteMolPerL);
}

std::optional<TitrationChemistry::Titration> ToSingle(const Titration& titration)
{
    using TitrationChemistry::Species;
    if (titration.beaker.size() != 1 || titration.beaker.front().couple.pKa.size() > 1)
        return std::nullopt;
    const Component& c = titration.beaker.front();
    const bool acid = c.protons == c.couple.Acidities();
    if (!acid && c.protons != 0)
        return std::nullopt;
    TitrationChemistry::Titration single;
    if (c.couple.Strong()) {
        single.species = acid ? Species::StrongAcid : Species::StrongBase;
    } else {
        single.species = acid ? Species::WeakAcid : Species::WeakBase;
        single.pKa = c.couple.pKa.front();
    }
    single.beakerMolPerL = c.molPerL;
    single.beakerVolumeMl = titration.beakerVolumeMl;
    single.reagent = titration.reagent;
    single.buretteMolPerL = titration.buretteMolPerL;
    return single;
}

QString Check(const Titration& t)
{
    const auto positive = [](double v) { return std::isfinite(v) && v > 0.0 && v <= kMaximumMolPerL; };
    if (t.beaker.empty() || t.beaker.size() > static_cast<std::size_t>(kMaximumComponents))
        return QStringLiteral("Le bécher doit contenir une ou deux espèces.");
    if (!positive(t.buretteMolPerL) || !(std::isfinite(t.beakerVolumeMl) && t.beakerVolumeMl > 0.0))
        return QStringLiteral("Les concentrations et le volume du bécher doivent être positifs, les concentrations "
                              "d'au plus 10 mol/L.");
    for (const Component& c : t.beaker) {
        if (!positive(c.molPerL))
            return QStringLiteral("Les concentrations et le volume du bécher doivent être positifs, les concentrations "
                                  "d'au plus 10 mol/L.");
        if (c.couple.pKa.size() > static_cast<std::size_t>(AcidBaseCouples::kMaximumAcidities)
            || (!c.couple.Strong() && c.couple.species.size() != static_cast<qsizetype>(c.couple.pKa.size() + 1)))
            return QStringLiteral("Une espèce a au plus trois acidités, chacune avec son pKa.");
        if (c.protons < 0 || c.protons > c.couple.Acidities())
            return QStringLiteral("Une espèce est introduite sous une forme qui n'existe pas.");
        double previous = -HUGE_VAL;
        for (double pKa : c.couple.pKa) {
            if (!(pKa >= kLowestPKa && pKa <= kHighestPKa && pKa > previous))
                return QStringLiteral("Les pKa de chaque espèce doivent être croissants, entre -1 et 15.");
            previous = pKa;
        }
    }
    return {};
}

bool Titrates(const Titration& t)
{
    for (const Component& c : t.beaker)
        if (t.reagent == Reagent::StrongBase ? c.protons > 0 : c.protons < c.couple.Acidities())
            return true;
    return false;
}

std::vector<Step> Steps(const Titration& t)
{
    const bool base = t.reagent == Reagent::StrongBase;
    struct Candidate {
        Step step;
        double pKa;
        double mmol;
    };
    std::vector<Candidate> candidates;
    for (std::size_t i = 0; i < t.beaker.size(); ++i) {
        const Component& c = t.beaker[i];
        const int n = c.couple.Acidities();
        const double mmol = c.molPerL * t.beakerVolumeMl;
        // The protons still carried are the last acidities (n - p .. n - 1), given up from the
        // strongest; the places left are the first ones, taken from the weakest base.
        const int from = base ? n - c.protons : 0;
        const int to = base ? n : n - c.protons;
        for (int k = from; k < to; ++k) {
            const double pKa = c.couple.Strong() ? (base ? -HUGE_VAL : HUGE_VAL) : c.couple.pKa[static_cast<std::size_t>(k)];
            candidates.push_back({Step{static_cast<int>(i), k, 0.0}, pKa, mmol});
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(), [base](const Candidate& a, const Candidate& b) {
        return base ? a.pKa < b.pKa : a.pKa > b.pKa;
    });
    std::vector<Step> steps;
    double mmol = 0.0;
    for (Candidate& c : candidates) {
        mmol += c.mmol;
        c.step.endMl = mmol / t.buretteMolPerL;
        steps.push_back(c.step);
    }
    return steps;
}

std::vector<double> EquivalenceVolumesMl(const Titration& titration)
{
    std::vector<double> volumes;
    for (const Step& s : Steps(titration))
        volumes.push_back(s.endMl);
    return volumes;
}

double PH(const Titration& titration, double addedMl)
{
    return Solve(Prepare(titration), addedMl, 7.0);
}

std::vector<double> PHAt(const Titration& titration, const std::vector<double>& addedMl)
{
    const Balance b = Prepare(titration);
    std::vector<double> pH(addedMl.size());
    double guess = 7.0;
    for (std::size_t i = 0; i < addedMl.size(); ++i)
        guess = pH[i] = Solve(b, addedMl[i], guess);
    return pH;
}

}  // namespace MixtureTitration
