#include "chemistry/TitrationChemistry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace TitrationChemistry;

// 20 mL at 0,01 mol/L in the beaker, 0,01 mol/L in the burette: Ve = 20 mL.
Titration Beaker(Species species, Reagent reagent, double pKa = 0.0)
{
    Titration t;
    t.species = species;
    t.pKa = pKa;
    t.beakerMolPerL = 0.01;
    t.beakerVolumeMl = 20.0;
    t.reagent = reagent;
    t.buretteMolPerL = 0.01;
    return t;
}

struct TextbookCase {
    const char* name;
    Titration titration;
    double addedMl;
    double pH;  // from the textbook's approximations, worked by hand
    double tolerance;
};

void PrintTo(const TextbookCase& c, std::ostream* out)
{
    *out << c.name;
}

class TextbookTest : public ::testing::TestWithParam<TextbookCase> {};

TEST_P(TextbookTest, ChargeBalanceGivesTheTextbookPH)
{
    const TextbookCase& c = GetParam();
    EXPECT_NEAR(PH(c.titration, c.addedMl), c.pH, c.tolerance);
}

const Titration kEthanoic = Beaker(Species::WeakAcid, Reagent::StrongBase, kEthanoicPKa);
const Titration kHydrochloric = Beaker(Species::StrongAcid, Reagent::StrongBase);
const Titration kAmmonia = Beaker(Species::WeakBase, Reagent::StrongAcid, kAmmoniumPKa);
const Titration kSoda = Beaker(Species::StrongBase, Reagent::StrongAcid);

// Weak acid alone: pH = (pKa - log c) / 2 = 3,38, 3,39 without neglecting [H+] against c;
// half-equivalence: pH = pKa; equivalence: the ethanoate at 0,005 mol/L, pOH = (pKb - log c) / 2;
// beyond: the excess of strong reagent over the total volume.
INSTANTIATE_TEST_SUITE_P(
    Titrations, TextbookTest,
    ::testing::Values(TextbookCase{"EthanoicStart", kEthanoic, 0.0, 3.39, 0.01},
                      TextbookCase{"EthanoicHalfEquivalence", kEthanoic, 10.0, 4.76, 0.02},
                      TextbookCase{"EthanoicEquivalence", kEthanoic, 20.0, 8.23, 0.01},
                      TextbookCase{"EthanoicBeyond", kEthanoic, 30.0, 11.30, 0.01},
                      TextbookCase{"HydrochloricStart", kHydrochloric, 0.0, 2.00, 0.01},
                      TextbookCase{"HydrochloricHalfEquivalence", kHydrochloric, 10.0, 2.48, 0.01},
                      TextbookCase{"HydrochloricEquivalence", kHydrochloric, 20.0, 7.00, 0.001},
                      TextbookCase{"HydrochloricBeyond", kHydrochloric, 30.0, 11.30, 0.01},
                      TextbookCase{"AmmoniaStart", kAmmonia, 0.0, 10.62, 0.01},
                      TextbookCase{"AmmoniaHalfEquivalence", kAmmonia, 10.0, 9.25, 0.02},
                      TextbookCase{"AmmoniaEquivalence", kAmmonia, 20.0, 5.78, 0.01},
                      TextbookCase{"AmmoniaBeyond", kAmmonia, 30.0, 2.70, 0.01},
                      TextbookCase{"SodaStart", kSoda, 0.0, 12.00, 0.01},
                      TextbookCase{"SodaEquivalence", kSoda, 20.0, 7.00, 0.001},
                      TextbookCase{"SodaBeyond", kSoda, 30.0, 2.70, 0.01}),
    [](const ::testing::TestParamInfo<TextbookCase>& info) { return std::string(info.param.name); });

TEST(TitrationChemistry, ExtremeMixturesStayFiniteAndInOrder)
{
    // Concentrated and very dilute beakers, a pKa outside the water's range: the pH is found,
    // and pouring a base never lowers it.
    for (const double molPerL : {10.0, 1e-7}) {
        for (const double pKa : {-1.0, 4.76, 15.0}) {
            Titration t = Beaker(Species::WeakAcid, Reagent::StrongBase, pKa);
            t.beakerMolPerL = molPerL;
            t.buretteMolPerL = molPerL;
            double previous = -100.0;
            for (double v = 0.0; v <= 40.0; v += 0.5) {
                const double pH = PH(t, v);
                ASSERT_TRUE(std::isfinite(pH)) << molPerL << " " << pKa << " " << v;
                EXPECT_GE(pH, previous - 1e-9) << molPerL << " " << pKa << " " << v;
                previous = pH;
            }
        }
    }
    EXPECT_DOUBLE_EQ(EquivalenceVolumeMl(kAmmonia), 20.0);
}

}  // namespace
