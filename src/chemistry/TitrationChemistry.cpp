#include "chemistry/TitrationChemistry.h"

#include <algorithm>
#include <cmath>

namespace TitrationChemistry {

namespace {

const double kLn10 = std::log(10.0);

// Concentrations in the mixture, mol/L. Strong ions are fully dissociated; a weak species
// shares its total between its acid and base forms according to [H+].
struct Mixture {
    double cations = 0.0;      // Na+ and the like
    double anions = 0.0;       // Cl- and the like
    double weakAcid = 0.0;     // HA + A-
    double weakBase = 0.0;     // B + BH+
    double acidConstant = 0.0; // Ka of HA or of BH+
};

Mixture Mix(const Titration& t, double acidConstant, double addedMl)
{
    const double added = std::max(0.0, addedMl);
    const double totalMl = t.beakerVolumeMl + added;
    const double beaker = t.beakerMolPerL * t.beakerVolumeMl / totalMl;
    const double burette = t.buretteMolPerL * added / totalMl;
    Mixture m;
    switch (t.species) {
    case Species::StrongAcid:
        m.anions += beaker;
        break;
    case Species::StrongBase:
        m.cations += beaker;
        break;
    case Species::WeakAcid:
        m.weakAcid = beaker;
        break;
    case Species::WeakBase:
        m.weakBase = beaker;
        break;
    }
    (t.reagent == Reagent::StrongBase ? m.cations : m.anions) += burette;
    m.acidConstant = acidConstant;
    return m;
}

double AcidConstant(const Titration& t)
{
    return std::pow(10.0, -t.pKa);
}

// h - Kw / h = anions - cations, solved in the form that keeps its precision on both sides.
double StrongOnlyPH(double excess)
{
    const double root = std::sqrt(excess * excess + 4.0 * kWaterIonProduct);
    const double h = excess >= 0.0 ? (excess + root) / 2.0 : 2.0 * kWaterIonProduct / (root - excess);
    return -std::log10(h);
}

// Charge balance as ln(positive charges) - ln(negative charges), a function of the pH that
// falls steadily and is nearly straight where one ion dominates each side, so Newton's steps
// land close at once. Writes the value and its slope.
void Balance(const Mixture& m, double pH, double& value, double& slope)
{
    const double h = std::exp(-kLn10 * pH);
    const double ka = m.acidConstant;
    const double share = ka * h / ((ka + h) * (ka + h));  // d(h/(Ka+h))/dpH, divided by -ln 10
    const double positive = h + m.cations + m.weakBase * h / (ka + h);
    const double negative = kWaterIonProduct / h + m.anions + m.weakAcid * ka / (ka + h);
    const double positiveSlope = -kLn10 * (h + m.weakBase * share);
    const double negativeSlope = kLn10 * (kWaterIonProduct / h + m.weakAcid * share);
    value = std::log(positive / negative);
    slope = positiveSlope / positive - negativeSlope / negative;
}

// The pH of the mixture, Newton's method starting from `guessPH`.
double Solve(const Mixture& m, double guessPH)
{
    if (m.weakAcid == 0.0 && m.weakBase == 0.0)
        return StrongOnlyPH(m.anions - m.cations);
    // Newton's steps kept inside a bracket that always holds the root; a step that leaves it
    // is replaced by halving the bracket. Below pH -3 or above 17 every ion of a solution up
    // to 10 mol/L is outweighed by H+ or OH-.
    double low = -3.0;
    double high = 17.0;
    double pH = std::clamp(guessPH, low + 1.0, high - 1.0);
    for (int i = 0; i < 100; ++i) {
        double value = 0.0;
        double slope = 0.0;
        Balance(m, pH, value, slope);
        const double step = value / slope;
        if (std::abs(step) < 1e-12)
            return pH - step;
        if (value > 0.0)
            low = pH;
        else
            high = pH;
        pH -= step;
        if (!(pH > low && pH < high))
            pH = (low + high) / 2.0;
    }
    return pH;
}

}  // namespace

bool IsAcid(Species species)
{
    return species == Species::StrongAcid || species == Species::WeakAcid;
}

bool IsWeak(Species species)
{
    return species == Species::WeakAcid || species == Species::WeakBase;
}

bool Titrates(Species species, Reagent reagent)
{
    return IsAcid(species) == (reagent == Reagent::StrongBase);
}

bool Rising(Reagent reagent)
{
    return reagent == Reagent::StrongBase;
}

double PH(const Titration& titration, double addedMl)
{
    return Solve(Mix(titration, AcidConstant(titration), addedMl), 7.0);
}

std::vector<double> PHAt(const Titration& titration, const std::vector<double>& addedMl)
{
    std::vector<double> pH(addedMl.size());
    const double acidConstant = AcidConstant(titration);
    double guess = 7.0;
    for (std::size_t i = 0; i < addedMl.size(); ++i)
        guess = pH[i] = Solve(Mix(titration, acidConstant, addedMl[i]), guess);
    return pH;
}

double EquivalenceVolumeMl(const Titration& titration)
{
    return titration.beakerMolPerL * titration.beakerVolumeMl / titration.buretteMolPerL;
}

double PH(Acid acid, double acidMolPerL, double acidVolumeMl, double baseMolPerL, double baseVolumeMl)
{
    Titration t;
    t.species = acid == Acid::Hydrochloric ? Species::StrongAcid : Species::WeakAcid;
    t.pKa = kEthanoicPKa;
    t.beakerMolPerL = acidMolPerL;
    t.beakerVolumeMl = acidVolumeMl;
    t.reagent = Reagent::StrongBase;
    t.buretteMolPerL = baseMolPerL;
    return PH(t, baseVolumeMl);
}

}  // namespace TitrationChemistry
