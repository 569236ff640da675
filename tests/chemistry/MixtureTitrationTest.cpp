#include "chemistry/MixtureTitration.h"
#include "chemistry/SpeciesFractions.h"

#include "ChargeBalanceOracle.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace MixtureTitration;
namespace Oracle = ChargeBalanceOracle;

const std::vector<AcidBaseCouple> kCouples = AcidBaseCouples::Common();

AcidBaseCouple Named(const char* name)
{
    const AcidBaseCouple* c = AcidBaseCouples::Find(kCouples, QString::fromUtf8(name));
    EXPECT_NE(c, nullptr) << name;
    return c ? *c : AcidBaseCouple{};
}

// One model and the same beaker written for the oracle, with its stoichiometric volumes.
struct Case {
    const char* name;
    Titration model;
    Oracle::Beaker oracle;
    std::vector<double> equivalencesMl;
};

std::vector<Case> Cases()
{
    const AcidBaseCouple strongAcid = AcidBaseCouples::StrongAcid();
    const AcidBaseCouple strongBase = AcidBaseCouples::StrongBase();
    return {
        {"phosphoric acid by soda", Make({Acid(Named("acide phosphorique"), 0.1)}, 10, Reagent::StrongBase, 0.1),
         Oracle::PhosphoricAcid(), {10, 20, 30}},
        {"sodium carbonate by hydrochloric acid", Make({Base(Named("ion carbonate"), 0.1)}, 10, Reagent::StrongAcid, 0.1),
         Oracle::SodiumCarbonate(), {10, 20}},
        {"hydrochloric and ethanoic acids", Make({Acid(strongAcid, 0.1), Acid(Named("acide éthanoïque"), 0.1)}, 10,
                                                 Reagent::StrongBase, 0.1),
         Oracle::HydrochloricAndEthanoic(), {10, 20}},
        {"citric acid, dilute", Make({Acid(Named("acide citrique"), 0.005)}, 20, Reagent::StrongBase, 0.01),
         Oracle::Beaker{0, 0, {{0.005, {3.13, 4.76, 6.40}, 0}}, 20, true, 0.01}, {10, 20, 30}},
        {"methanoic and ethanoic acids", Make({Acid(Named("acide éthanoïque"), 0.05), Acid(Named("acide méthanoïque"), 0.02)},
                                              10, Reagent::StrongBase, 0.1),
         Oracle::Beaker{0, 0, {{0.05, {4.76}, 0}, {0.02, {3.75}, 0}}, 10, true, 0.1}, {2, 7}},
        {"soda and ammonia by hydrochloric acid", Make({Base(strongBase, 0.05), Base(Named("ammoniac"), 0.1)}, 10,
                                                       Reagent::StrongAcid, 0.1),
         Oracle::Beaker{0.05, 0, {{0.1, {9.25}, 1}}, 10, false, 0.1}, {5, 15}},
        {"concentrated phosphate by acid", Make({Base(Named("ion phosphate"), 3.0)}, 10, Reagent::StrongAcid, 5.0),
         Oracle::Beaker{9.0, 0, {{3.0, {2.15, 7.20, 12.35}, 0}}, 10, false, 5.0}, {6, 12, 18}},
        {"hydrogenphosphate by soda", Make({Component{Named("acide phosphorique"), 1, 0.1}}, 10, Reagent::StrongBase, 0.1),
         Oracle::Beaker{0.2, 0, {{0.1, {2.15, 7.20, 12.35}, 0}}, 10, true, 0.1}, {10}},
    };
}

TEST(MixtureTitration, SolverMeetsTheExplicitVolumeOfEveryPH)
{
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Check(c.model).isEmpty()) << Check(c.model).toStdString();
        EXPECT_EQ(EquivalenceVolumesMl(c.model).size(), c.equivalencesMl.size());
        for (std::size_t i = 0; i < c.equivalencesMl.size() && i < EquivalenceVolumesMl(c.model).size(); ++i)
            EXPECT_NEAR(EquivalenceVolumesMl(c.model)[i], c.equivalencesMl[i], 1e-9);
        // Every pH the titration passes through up to twice its last equivalence: the oracle
        // gives the volume, the solver must give that pH back there.
        const double lastMl = 2.0 * c.equivalencesMl.back();
        int checked = 0;
        for (double pH = -1.0; pH <= 15.0; pH += 0.01) {
            const double ml = Oracle::VolumeAt(c.oracle, pH);
            if (!(ml >= 0.0 && ml <= lastMl))
                continue;
            ++checked;
            ASSERT_NEAR(PH(c.model, ml), pH, 1e-6) << ml << " mL";
        }
        EXPECT_GT(checked, 100);
    }
}

TEST(MixtureTitration, CurveIsFiniteAndMonotonicThroughEveryJump)
{
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        std::vector<double> volumes;
        for (int i = 0; i <= 6000; ++i)
            volumes.push_back(i * 0.01 * c.equivalencesMl.back() / 20.0);
        const std::vector<double> pH = PHAt(c.model, volumes);
        const double direction = c.model.reagent == Reagent::StrongBase ? 1.0 : -1.0;
        for (std::size_t i = 0; i < pH.size(); ++i) {
            ASSERT_TRUE(std::isfinite(pH[i])) << volumes[i];
            if (i > 0) {
                ASSERT_GE(direction * (pH[i] - pH[i - 1]), -1e-9) << volumes[i];
            }
            EXPECT_NEAR(pH[i], PH(c.model, volumes[i]), 1e-9) << volumes[i];
        }
    }
}

TEST(MixtureTitration, OneSpeciesOfOneAcidityAsTheSingleModelComputesIt)
{
    using TitrationChemistry::Species;
    for (const Species species : {Species::StrongAcid, Species::WeakAcid, Species::StrongBase, Species::WeakBase}) {
        TitrationChemistry::Titration single;
        single.species = species;
        single.pKa = 6.3;
        single.reagent = TitrationChemistry::IsAcid(species) ? Reagent::StrongBase : Reagent::StrongAcid;
        const Titration general = FromSingle(single);
        ASSERT_TRUE(ToSingle(general).has_value());
        EXPECT_EQ(ToSingle(general)->species, species);
        for (double ml = 0.0; ml <= 40.0; ml += 0.5)
            EXPECT_NEAR(PH(general, ml), TitrationChemistry::PH(single, ml), 1e-9) << ml;
    }
}

TEST(MixtureTitration, RefusesWhatItCannotCompute)
{
    const AcidBaseCouple phosphoric = Named("acide phosphorique");
    AcidBaseCouple descending = phosphoric;
    descending.pKa = {7.2, 2.15, 12.35};
    AcidBaseCouple fourAcidities = AcidBaseCouples::WeakAcid({2, 4, 6, 8});
    const Titration cases[] = {
        Make({}, 10, Reagent::StrongBase, 0.1),
        Make({Acid(phosphoric, 0.1), Acid(phosphoric, 0.1), Acid(phosphoric, 0.1)}, 10, Reagent::StrongBase, 0.1),
        Make({Acid(descending, 0.1)}, 10, Reagent::StrongBase, 0.1),
        Make({Acid(fourAcidities, 0.1)}, 10, Reagent::StrongBase, 0.1),
        Make({Acid(phosphoric, 0.0)}, 10, Reagent::StrongBase, 0.1),
        Make({Acid(phosphoric, 0.1)}, 10, Reagent::StrongBase, std::nan("")),
        Make({Component{phosphoric, 4, 0.1}}, 10, Reagent::StrongBase, 0.1),
    };
    for (const Titration& t : cases)
        EXPECT_FALSE(Check(t).isEmpty());
    EXPECT_FALSE(Titrates(Make({Base(phosphoric, 0.1)}, 10, Reagent::StrongBase, 0.1)));
    EXPECT_TRUE(Titrates(Make({Base(phosphoric, 0.1)}, 10, Reagent::StrongAcid, 0.1)));
}

TEST(SpeciesFractions, FormsOfEachSpeciesMakeAHundredPercentAtEveryVolume)
{
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        std::vector<double> volumes;
        for (int i = 0; i <= 300; ++i)
            volumes.push_back(i * 0.1);
        const std::vector<SpeciesFractions::Curve> curves = SpeciesFractions::AlongVolume(c.model, volumes);
        int weak = 0;
        for (const Component& component : c.model.beaker)
            weak += component.couple.Strong() ? 0 : component.couple.Acidities() + 1;
        ASSERT_EQ(static_cast<int>(curves.size()), weak);
        for (std::size_t v = 0; v < volumes.size(); ++v) {
            std::vector<double> total(c.model.beaker.size(), 0.0);
            for (const SpeciesFractions::Curve& curve : curves) {
                ASSERT_EQ(curve.percent.size(), volumes.size());
                EXPECT_GE(curve.percent[v], 0.0);
                total[static_cast<std::size_t>(curve.component)] += curve.percent[v];
            }
            for (std::size_t i = 0; i < total.size(); ++i)
                if (!c.model.beaker[i].couple.Strong()) {
                    EXPECT_NEAR(total[i], 100.0, 1e-9) << volumes[v];
                }
        }
    }
}

TEST(SpeciesFractions, NeighbouringFormsAreEqualAtTheirPKa)
{
    // Phosphoric acid's steps lie five units apart: at each pKa the two forms share almost all.
    const std::vector<double> pKa = Named("acide phosphorique").pKa;
    const std::vector<SpeciesFractions::Curve> curves
        = SpeciesFractions::AlongPH(Make({Acid(Named("acide phosphorique"), 0.1)}, 10, Reagent::StrongBase, 0.1), pKa);
    ASSERT_EQ(curves.size(), 4u);
    const QStringList names = {QStringLiteral("H3PO4"), QStringLiteral("H2PO4−"), QStringLiteral("HPO4 2−"),
                               QStringLiteral("PO4 3−")};
    for (std::size_t j = 0; j < curves.size(); ++j)
        EXPECT_EQ(curves[j].species, names[static_cast<qsizetype>(j)]);
    for (std::size_t k = 0; k < pKa.size(); ++k) {
        EXPECT_NEAR(curves[k].percent[k], curves[k + 1].percent[k], 1e-9);
        EXPECT_NEAR(curves[k].percent[k], 50.0, 0.1);
    }
    // Extremes of the pH range stay finite and whole.
    for (const double pH : {-50.0, 80.0}) {
        const std::vector<double> f = SpeciesFractions::Fractions(pKa, pH);
        EXPECT_NEAR(pH < 0 ? f.front() : f.back(), 1.0, 1e-12);
    }
}

}  // namespace
