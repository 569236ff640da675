#pragma once

// Acid-base chemistry of the simulated titration, at 25 °C: an acid in the beaker titrated by
// sodium hydroxide from the burette, the pH found from the charge balance.
namespace TitrationChemistry {

enum class Acid { Hydrochloric, Ethanoic };

inline constexpr double kWaterIonProduct = 1e-14;
inline constexpr double kEthanoicPKa = 4.76;

// pH of `acidVolumeMl` of `acid` at `acidMolPerL` after `baseVolumeMl` of sodium hydroxide at
// `baseMolPerL` has been added (volumes add up). Concentrations up to 1 mol/L.
double PH(Acid acid, double acidMolPerL, double acidVolumeMl, double baseMolPerL, double baseVolumeMl);

}  // namespace TitrationChemistry
