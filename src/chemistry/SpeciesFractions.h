#pragma once

#include "chemistry/MixtureTitration.h"

#include <QString>

#include <vector>

// How each weak species of the beaker shares itself between its forms: the proportion of
// H3PO4, H2PO4−, HPO4 2− and PO4 3− at a pH, or along the poured volume. The forms of one
// species add up to 100 %. Strong species, wholly in one form, have no curve.
namespace SpeciesFractions {

// Fraction of each form at `pH`, from the most protonated: pKa.size() + 1 values summing to 1.
std::vector<double> Fractions(const std::vector<double>& pKa, double pH);

struct Curve {
    QString species;      // "HPO4 2−"
    int component = 0;    // index in the beaker
    double totalMmol = 0.0;  // the species' amount in the beaker: percent x totalMmol / 100 is the form's
    std::vector<double> percent;  // one per volume or pH asked for
};

// One curve per form of each weak species, at the pH the model gives for each volume.
std::vector<Curve> AlongVolume(const MixtureTitration::Titration& titration, const std::vector<double>& addedMl);
// The same against the pH, for a diagram drawn over pH.
std::vector<Curve> AlongPH(const MixtureTitration::Titration& titration, const std::vector<double>& pH);

}  // namespace SpeciesFractions
