#pragma once

#include <vector>

// Acid-base chemistry of a titration at 25 °C: a solution in the beaker, a strong acid or a
// strong base poured from the burette, the pH found from the charge balance. Volumes add up;
// activities are taken as concentrations.
namespace TitrationChemistry {

inline constexpr double kWaterIonProduct = 1e-14;
inline constexpr double kEthanoicPKa = 4.76;
// Ammonium, the conjugate acid of ammonia.
inline constexpr double kAmmoniumPKa = 9.25;

// What the beaker holds. A weak species is described by the pKa of its acid form: the acid
// itself, or the conjugate acid of the base.
enum class Species { StrongAcid, WeakAcid, StrongBase, WeakBase };
// What the burette pours.
enum class Reagent { StrongBase, StrongAcid };

struct Titration {
    Species species = Species::WeakAcid;
    double pKa = kEthanoicPKa;  // read for a weak species only
    double beakerMolPerL = 0.01;
    double beakerVolumeMl = 20.0;
    Reagent reagent = Reagent::StrongBase;
    double buretteMolPerL = 0.01;
};

bool IsAcid(Species species);
bool IsWeak(Species species);
// An acid titrated by a strong base, or a base by a strong acid: the pairs with an equivalence.
bool Titrates(Species species, Reagent reagent);
// The pH rises as the reagent is poured when it is a base.
bool Rising(Reagent reagent);

// pH after `addedMl` of the reagent (negative volumes count as none). Concentrations up to
// 10 mol/L; the beaker volume must be positive.
double PH(const Titration& titration, double addedMl);
// PH at each volume; quicker than one call each when the volumes come in order, since each
// solution starts from the previous one.
std::vector<double> PHAt(const Titration& titration, const std::vector<double>& addedMl);

// Ca Va / Cb: the volume of reagent that brings exactly as much as the beaker holds.
double EquivalenceVolumeMl(const Titration& titration);

// The simulated bench's two acids, titrated by sodium hydroxide.
enum class Acid { Hydrochloric, Ethanoic };

// pH of `acidVolumeMl` of `acid` at `acidMolPerL` after `baseVolumeMl` of sodium hydroxide at
// `baseMolPerL` has been added.
double PH(Acid acid, double acidMolPerL, double acidVolumeMl, double baseMolPerL, double baseVolumeMl);

}  // namespace TitrationChemistry
