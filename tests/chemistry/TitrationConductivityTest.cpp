#include "chemistry/TitrationConductivity.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace TitrationChemistry;

// [H+] of a weak acid HA at `total` with `sodium` of its salt, water's ions left out:
// h (sodium + h) = Ka (total - sodium - h), solved as a quadratic.
double WeakAcidHydronium(double ka, double total, double sodium)
{
    const double b = sodium + ka;
    return (-b + std::sqrt(b * b + 4.0 * ka * (total - sodium))) / 2.0;
}

TEST(TitrationConductivity, SumsMolarConductivitiesTimesConcentrations)
{
    const double ka = std::pow(10.0, -kEthanoicPKa);
    const double hHalf = WeakAcidHydronium(ka, 0.2 / 30.0, 0.1 / 30.0);
    const double hPure = WeakAcidHydronium(ka, 0.1, 0.0);
    struct Case {
        const char* name;
        Titration titration;
        double addedMl;
        double mSPerCm;  // worked by hand from the table of molar conductivities, 10 λ c
        double tolerance;
    };
    const Case cases[] = {
        // Pure water: 10 (34,98 + 19,86) 1e-7, the textbook's 0,055 µS/cm.
        {"water", {Species::StrongAcid, 0, 0.0, 20, Reagent::StrongBase, 0.01}, 0.0, 5.484e-5, 1e-8},
        {"HCl 0,01", {Species::StrongAcid, 0, 0.01, 20, Reagent::StrongBase, 0.01}, 0.0, 4.261, 1e-4},
        // Sodium chloride at 0,005 mol/L.
        {"HCl at Ve", {Species::StrongAcid, 0, 0.01, 20, Reagent::StrongBase, 0.01}, 20.0, 0.632 + 5.5e-5, 1e-5},
        // Na+ 0,006, Cl- 0,004, HO- 0,002 mol/L.
        {"HCl past Ve", {Species::StrongAcid, 0, 0.01, 20, Reagent::StrongBase, 0.01}, 30.0, 1.003, 1e-4},
        // Na+ 0,004, Cl- 0,006, H3O+ 0,002 mol/L.
        {"NaOH by HCl", {Species::StrongBase, 0, 0.01, 20, Reagent::StrongAcid, 0.01}, 30.0, 1.3578, 1e-4},
        {"ethanoic 0,1", {Species::WeakAcid, kEthanoicPKa, 0.1, 20, Reagent::StrongBase, 0.1}, 0.0,
         10.0 * (34.98 + 4.09) * hPure, 1e-5},
        {"ethanoic half", {Species::WeakAcid, kEthanoicPKa, 0.01, 20, Reagent::StrongBase, 0.01}, 10.0,
         10.0 * (5.01 * 0.1 / 30.0 + 4.09 * (0.1 / 30.0 + hHalf) + 34.98 * hHalf), 1e-5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const double sigma = TitrationConductivity::MilliSiemensPerCm(c.titration, c.addedMl);
        EXPECT_NEAR(sigma, c.mSPerCm, c.tolerance);
        EXPECT_DOUBLE_EQ(TitrationConductivity::MilliSiemensPerCmAt(c.titration, {0.0, c.addedMl})[1], sigma);
    }
    EXPECT_DOUBLE_EQ(TitrationConductivity::MilliSiemensPerCm(Acid::Ethanoic, 0.01, 20, 0.01, 10),
                     TitrationConductivity::MilliSiemensPerCm(cases[6].titration, 10.0));
}

}  // namespace
