#pragma once

#include "chemistry/AcidBaseCouple.h"
#include "chemistry/TitrationChemistry.h"

#include <QString>

#include <optional>
#include <vector>

// A titration whose beaker holds one or two species, each with up to three acidities (a
// polyacid such as H3PO4, a polybase such as CO3 2−, a strong acid or base), titrated by a
// strong base or acid. The pH comes from the exact charge balance at 25 °C, activities taken as
// concentrations, volumes adding up, as in TitrationChemistry, which keeps the one-species
// models of the simulated bench.
namespace MixtureTitration {

using TitrationChemistry::Reagent;

inline constexpr int kMaximumComponents = 2;

// One species put in the beaker, and the form it is put in as.
struct Component {
    AcidBaseCouple couple;
    // The protons the form put in still carries: couple.Acidities() for the acid (H3PO4, a
    // strong acid), 0 for the base (PO4 3−, a strong base), in between for an amphoteric salt.
    int protons = 0;
    double molPerL = 0.01;
};

struct Titration {
    std::vector<Component> beaker;
    double beakerVolumeMl = 20.0;
    Reagent reagent = Reagent::StrongBase;
    double buretteMolPerL = 0.01;
};

// `couple` in its acid form, titrated by a strong base.
Component Acid(const AcidBaseCouple& couple, double molPerL);
// `couple` in its base form (no proton left), titrated by a strong acid.
Component Base(const AcidBaseCouple& couple, double molPerL);
Titration Make(std::vector<Component> beaker, double beakerVolumeMl, Reagent reagent, double buretteMolPerL);

// The one-species model of TitrationChemistry in this form; it gives the same pH.
Titration FromSingle(const TitrationChemistry::Titration& single);
// Back, when the beaker holds one species with at most one acidity in its acid or base form.
std::optional<TitrationChemistry::Titration> ToSingle(const Titration& titration);

// Empty when the model can be computed; otherwise the French reason: concentrations up to
// 10 mol/L and positive, a positive beaker volume, one or two species of one to three
// acidities with ascending pKa between -1 and 15, protons within the acidities.
QString Check(const Titration& titration);

// True when the reagent has something to react with: a proton to take for a strong base, a
// place for one for a strong acid.
bool Titrates(const Titration& titration);

// One proton exchanged per molecule of one species: the steps come in the order the reagent
// takes them, the strongest acidity first (a strong acid before any weak one).
struct Step {
    int component = 0;
    int acidity = 0;        // index in the couple's pKa; 0 for a strong species
    double endMl = 0.0;     // volume poured when the step is complete: an equivalence
};
std::vector<Step> Steps(const Titration& titration);
// The end of each step: every stoichiometric equivalence, visible as a jump or not.
std::vector<double> EquivalenceVolumesMl(const Titration& titration);

// pH after `addedMl` of the reagent (negative volumes count as none). Check() must be empty.
double PH(const Titration& titration, double addedMl);
// PH at each volume; each solution starts from the previous one.
std::vector<double> PHAt(const Titration& titration, const std::vector<double>& addedMl);

}  // namespace MixtureTitration
