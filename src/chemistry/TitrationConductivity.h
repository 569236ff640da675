#pragma once

#include "chemistry/TitrationChemistry.h"

#include <vector>

// The conductivity of the beaker during a titration at 25 °C: the sum over its ions of their
// molar conductivity times their concentration, the concentrations from the charge balance of
// TitrationChemistry. The molar conductivities are the limiting ones (infinite dilution), which
// the solutions of a school titration, at most about 0,1 mol/L, follow within a few per cent.
namespace TitrationConductivity {

// Limiting molar conductivities at 25 °C, mS·m²/mol.
inline constexpr double kHydronium = 34.98;
inline constexpr double kHydroxide = 19.86;
inline constexpr double kSodium = 5.01;
inline constexpr double kPotassium = 7.35;
inline constexpr double kChloride = 7.63;
inline constexpr double kEthanoate = 4.09;
inline constexpr double kAmmonium = 7.34;

// The molar conductivities of the ions the titration holds besides H3O+ and HO-.
struct Ions {
    double hydronium = kHydronium;
    double hydroxide = kHydroxide;
    // The beaker's own ion: the anion of a strong acid, the cation of a strong base, the base
    // form A- of a weak acid, the acid form BH+ of a weak base.
    double beakerIon = kChloride;
    // The counter ion the reagent brings: Na+ of sodium hydroxide, Cl- of hydrochloric acid.
    double buretteIon = kSodium;
};

// Hydrochloric acid and sodium hydroxide as reagents, ethanoate and ammonium for the weak
// species, as the school titrations have them.
Ions IonsOf(const TitrationChemistry::Titration& titration);

// Concentrations in mol/L after `addedMl` of the reagent (volumes add up).
struct Concentrations {
    double hydronium = 0.0;
    double hydroxide = 0.0;
    double beakerIon = 0.0;
    double buretteIon = 0.0;
};

Concentrations SpeciesAt(const TitrationChemistry::Titration& titration, double addedMl);

// The conductivity in mS/cm of a solution of these concentrations.
double MilliSiemensPerCm(const Concentrations& concentrations, const Ions& ions);
// The beaker's conductivity in mS/cm after `addedMl`, with IonsOf(titration) unless given.
double MilliSiemensPerCm(const TitrationChemistry::Titration& titration, double addedMl);
double MilliSiemensPerCm(const TitrationChemistry::Titration& titration, const Ions& ions, double addedMl);
// The same at each volume; quicker when the volumes come in order.
std::vector<double> MilliSiemensPerCmAt(const TitrationChemistry::Titration& titration,
                                        const std::vector<double>& addedMl);

// The simulated bench's titrations: `acidVolumeMl` of `acid` at `acidMolPerL` after
// `baseVolumeMl` of sodium hydroxide at `baseMolPerL`.
double MilliSiemensPerCm(TitrationChemistry::Acid acid, double acidMolPerL, double acidVolumeMl, double baseMolPerL,
                         double baseVolumeMl);

}  // namespace TitrationConductivity
