#include "chemistry/TitrationFit.h"
#include "chemistry/FitText.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using namespace TitrationChemistry;
using namespace TitrationFit;

Model Make(Species species, Reagent reagent, double molPerL, double pKa = 0.0, double offset = 0.0)
{
    Model m;
    m.titration.species = species;
    m.titration.pKa = pKa;
    m.titration.beakerMolPerL = molPerL;
    m.titration.beakerVolumeMl = 20.0;
    m.titration.reagent = reagent;
    m.titration.buretteMolPerL = 0.01;
    m.pHOffset = offset;
    return m;
}

// A record of `truth` every 0,25 mL up to 30 mL, read with an even error of +-`noise` pH and
// kept as the table keeps it (0,001 pH).
QList<QPointF> Record(const Model& truth, double noise, unsigned seed = 11)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> reading(-noise, noise);
    QList<QPointF> points;
    for (int i = 0; i <= 120; ++i) {
        const double ml = i * 0.25;
        const double pH = ModelPH(truth, ml) + reading(random);
        points.append(QPointF(ml, std::round(pH * 1000.0) / 1000.0));
    }
    return points;
}

struct RecoveryCase {
    const char* name;
    Model truth;
    Model start;
    Adjusted adjusted;
};

void PrintTo(const RecoveryCase& c, std::ostream* out)
{
    *out << c.name;
}

class RecoveryTest : public ::testing::TestWithParam<RecoveryCase> {};

// Starts 20 % and a few tenths of pKa away, as values copied from a label would be.
INSTANTIATE_TEST_SUITE_P(
    Fits, RecoveryTest,
    ::testing::Values(
        RecoveryCase{"EthanoicAcid", Make(Species::WeakAcid, Reagent::StrongBase, 0.01, 4.76),
                     Make(Species::WeakAcid, Reagent::StrongBase, 0.012, 4.4), {true, true, false}},
        RecoveryCase{"AmmoniaByHydrochloricAcid", Make(Species::WeakBase, Reagent::StrongAcid, 0.01, 9.25),
                     Make(Species::WeakBase, Reagent::StrongAcid, 0.008, 9.6), {true, true, false}},
        RecoveryCase{"HydrochloricAcid", Make(Species::StrongAcid, Reagent::StrongBase, 0.0123),
                     Make(Species::StrongAcid, Reagent::StrongBase, 0.01), {true, true, false}},
        RecoveryCase{"SodaWithAnElectrodeOffset", Make(Species::StrongBase, Reagent::StrongAcid, 0.008, 0.0, 0.15),
                     Make(Species::StrongBase, Reagent::StrongAcid, 0.01), {true, false, true}},
        RecoveryCase{"EthanoicAcidWithAnOffsetToo", Make(Species::WeakAcid, Reagent::StrongBase, 0.009, 4.76, -0.1),
                     Make(Species::WeakAcid, Reagent::StrongBase, 0.01, 4.76), {true, true, true}}),
    [](const ::testing::TestParamInfo<RecoveryCase>& info) { return std::string(info.param.name); });

TEST_P(RecoveryTest, RecoversTheParametersFromNoisyReadings)
{
    const RecoveryCase& c = GetParam();
    const Outcome outcome = Fit(c.start, c.adjusted, Record(c.truth, 0.02));
    ASSERT_TRUE(outcome.result.has_value()) << outcome.refusal.toStdString();
    const Result& r = *outcome.result;
    const Titration& truth = c.truth.titration;

    ASSERT_TRUE(r.beakerMolPerL.has_value());
    EXPECT_NEAR(r.beakerMolPerL->value / truth.beakerMolPerL, 1.0, 0.01);
    // The standard uncertainties are what the scatter of the readings gives: the truth lies
    // within a few of them.
    EXPECT_LT(std::abs(r.beakerMolPerL->value - truth.beakerMolPerL), 5.0 * r.beakerMolPerL->uncertainty);
    EXPECT_EQ(r.pKa.has_value(), IsWeak(truth.species));
    if (r.pKa) {
        EXPECT_NEAR(r.pKa->value, truth.pKa, 0.05);
        EXPECT_LT(std::abs(r.pKa->value - truth.pKa), 5.0 * r.pKa->uncertainty);
    }
    EXPECT_EQ(r.pHOffset.has_value(), c.adjusted.pHOffset);
    if (r.pHOffset) {
        EXPECT_NEAR(r.pHOffset->value, c.truth.pHOffset, 0.05);
    }
    // Readings even within +-0,02 scatter by 0,02 / sqrt(3).
    EXPECT_NEAR(r.residualSdPH, 0.02 / std::sqrt(3.0), 0.004);
    EXPECT_NEAR(r.equivalenceMl, EquivalenceVolumeMl(truth), 0.01 * EquivalenceVolumeMl(truth));
    EXPECT_NEAR(ModelPH(r.model, 3.0), ModelPH(c.truth, 3.0), 0.05);
}

TEST(TitrationFit, UncertaintiesShrinkWithTheNoise)
{
    const Model truth = Make(Species::WeakAcid, Reagent::StrongBase, 0.01, 4.76);
    const Model start = Make(Species::WeakAcid, Reagent::StrongBase, 0.011, 4.5);
    const Outcome noisy = Fit(start, {}, Record(truth, 0.02));
    const Outcome quiet = Fit(start, {}, Record(truth, 0.004));
    ASSERT_TRUE(noisy.result && quiet.result);
    EXPECT_GT(noisy.result->beakerMolPerL->uncertainty, 3.0 * quiet.result->beakerMolPerL->uncertainty);
    EXPECT_GT(noisy.result->pKa->uncertainty, 3.0 * quiet.result->pKa->uncertainty);
    EXPECT_GT(noisy.result->residualSdPH, 3.0 * quiet.result->residualSdPH);
}

struct RefusalCase {
    const char* name;
    Model start;
    Adjusted adjusted;
    QList<QPointF> points;
    const char* refusal;  // how the reason begins
};

TEST(TitrationFit, RefusesWhatNoModelCanDescribe)
{
    const Model acid = Make(Species::WeakAcid, Reagent::StrongBase, 0.01, 4.76);
    const Model ammonia = Make(Species::WeakBase, Reagent::StrongAcid, 0.01, 9.25);
    QList<QPointF> flat;
    QList<QPointF> zigzag;
    for (int i = 0; i <= 60; ++i) {
        flat.append(QPointF(i * 0.5, 7.0 + 0.3 * std::sin(i)));
        zigzag.append(QPointF(i * 0.5, 3.0 + i * 0.1 + 3.0 * std::sin(i * 0.7)));
    }
    const RefusalCase cases[] = {
        {"Flat", acid, {}, flat, "La courbe mesurée varie de moins de 1 pH"},
        {"FallingCurveWithABaseReagent", acid, {}, Record(ammonia, 0.02), "Le modèle choisi fait monter le pH, la courbe mesurée descend"},
        {"RisingCurveWithAnAcidReagent", ammonia, {}, Record(acid, 0.02), "Le modèle choisi fait descendre le pH"},
        {"AcidByAcid", Make(Species::WeakAcid, Reagent::StrongAcid, 0.01, 4.76), {}, Record(acid, 0.02), "Ce modèle n'a pas d'équivalence"},
        {"NothingToAdjust", acid, {false, false, false}, Record(acid, 0.02), "Aucun paramètre à ajuster"},
        {"PKaOfAStrongAcid", Make(Species::StrongAcid, Reagent::StrongBase, 0.01), {false, true, false}, Record(acid, 0.02), "Aucun paramètre à ajuster"},
        {"FourPoints", acid, {}, Record(acid, 0.0).mid(70, 4), "Trop peu de points"},
        {"NoBeaker", Make(Species::WeakAcid, Reagent::StrongBase, 0.0, 4.76), {}, Record(acid, 0.02), "Les valeurs de départ"},
        {"Zigzag", acid, {true, true, true}, zigzag, ""},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = Fit(c.start, c.adjusted, c.points);
        if (outcome.result)
            ADD_FAILURE() << "fitted: " << ResultText(*outcome.result).toStdString();
        EXPECT_FALSE(outcome.refusal.isEmpty());
        EXPECT_TRUE(outcome.refusal.startsWith(QString::fromUtf8(c.refusal))) << outcome.refusal.toStdString();
    }
}

TEST(TitrationFit, TextsRoundToTheUncertainty)
{
    Result r;
    r.model = Make(Species::WeakAcid, Reagent::StrongBase, 0.010021, 4.7712);
    r.beakerMolPerL = Estimate{0.010021, 0.0000412};
    r.pKa = Estimate{4.7712, 0.0213};
    r.residualSdPH = 0.0298;
    r.equivalenceMl = 20.042;
    EXPECT_EQ(ResultText(r), QStringLiteral("Modèle : Ca = (1,0021 ± 0,0041) × 10⁻² mol/L ; pKa = 4,77 ± 0,02 ; "
                                            "écart-type 0,03 pH ; Ve = 20,04 mL"));
    EXPECT_EQ(ClipboardLines(r), QStringLiteral("Modèle\tacide faible titré par une base forte\r"
                                                "Ca du modèle en mol/L\t0,010021\r"
                                                "Incertitude-type sur Ca en mol/L\t0,000041\r"
                                                "pKa du modèle\t4,77\r"
                                                "Incertitude-type sur le pKa\t0,02\r"
                                                "Écart-type des résidus en pH\t0,03\r"
                                                "Volume à l'équivalence du modèle en mL\t20,04\r"));
    // A mantissa that rounds up to 10 moves to the next power; an offset near zero has no sign.
    r.model.titration.species = Species::StrongBase;
    r.model.titration.reagent = Reagent::StrongAcid;
    r.beakerMolPerL = Estimate{0.0099996, 0.00041};
    r.pKa.reset();
    r.pHOffset = Estimate{-0.001, 0.012};
    EXPECT_EQ(ResultText(r), QStringLiteral("Modèle : Ca = (1,000 ± 0,041) × 10⁻² mol/L ; décalage du pH = 0,00 ± 0,01 ; "
                                            "écart-type 0,03 pH ; Ve = 20,04 mL"));
    EXPECT_TRUE(ClipboardLines(r).startsWith(QStringLiteral("Modèle\tbase forte titrée par un acide fort\r")));
    // Without a usable uncertainty the value stands alone, to three significant digits.
    EXPECT_EQ(FitText::Concentration(0.0123456, 0.0), QStringLiteral("1,23 × 10⁻²"));
}

TEST(TitrationFit, CurveFollowsTheJump)
{
    const Model acid = Make(Species::StrongAcid, Reagent::StrongBase, 0.01);
    const QList<QPointF> curve = Curve(acid, 0.0, 30.0);
    ASSERT_GT(curve.size(), 200);
    EXPECT_LT(curve.size(), 2000);
    EXPECT_EQ(curve.front().x(), 0.0);
    EXPECT_EQ(curve.back().x(), 30.0);
    double widest = 0.0;
    for (qsizetype i = 1; i < curve.size(); ++i) {
        ASSERT_GT(curve[i].x(), curve[i - 1].x());
        widest = std::max(widest, curve[i].y() - curve[i - 1].y());
    }
    // The jump from about 4 to 10 is drawn in steps of a few tenths at most.
    EXPECT_LT(widest, 0.5);
}

}  // namespace
