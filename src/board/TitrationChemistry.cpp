#include "TitrationChemistry.h"

#include <cmath>

namespace TitrationChemistry {

namespace {

// Charge balance of the weak acid, [H+] + [Na+] - [OH-] - [A-] with [A-] = C Ka / (Ka + [H+]).
// Every term rises with [H+], so it has one root.
double ChargeExcess(double h, double acidTotal, double acidConstant, double sodium)
{
    return h + sodium - kWaterIonProduct / h - acidTotal * acidConstant / (acidConstant + h);
}

}  // namespace

double PH(Acid acid, double acidMolPerL, double acidVolumeMl, double baseMolPerL, double baseVolumeMl)
{
    const double totalMl = acidVolumeMl + baseVolumeMl;
    const double acidTotal = acidMolPerL * acidVolumeMl / totalMl;
    const double sodium = baseMolPerL * baseVolumeMl / totalMl;
    if (acid == Acid::Hydrochloric) {
        // h - Kw / h = C - [Na+], solved in the form that keeps its precision on both sides.
        const double excess = acidTotal - sodium;
        const double root = std::sqrt(excess * excess + 4.0 * kWaterIonProduct);
        const double h = excess >= 0.0 ? (excess + root) / 2.0 : 2.0 * kWaterIonProduct / (root - excess);
        return -std::log10(h);
    }
    // Bisection on the pH between -1 and 15.
    const double acidConstant = std::pow(10.0, -kEthanoicPKa);
    double low = -1.0;
    double high = 15.0;
    for (int i = 0; i < 60; ++i) {
        const double mid = (low + high) / 2.0;
        if (ChargeExcess(std::pow(10.0, -mid), acidTotal, acidConstant, sodium) > 0.0)
            low = mid;
        else
            high = mid;
    }
    return (low + high) / 2.0;
}

}  // namespace TitrationChemistry
