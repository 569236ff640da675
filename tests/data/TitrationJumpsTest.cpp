#include "data/TangentMethod.h"
#include "data/TitrationConcentration.h"
#include "data/TitrationJumps.h"

#include "ChargeBalanceOracle.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {

using TitrationAnalysis::Equivalence;
namespace Oracle = ChargeBalanceOracle;

struct JumpsCase {
    const char* name;
    Oracle::Beaker beaker;
    std::vector<double> expectedMl;  // the stoichiometric equivalences that show as jumps
    double toleranceMl;
    double stepMl = 0.25;
};

const JumpsCase kCases[] = {
    {"phosphoric acid", Oracle::PhosphoricAcid(), {10, 20}, 0.1},
    {"sodium carbonate", Oracle::SodiumCarbonate(), {10, 20}, 0.1},
    {"hydrochloric and ethanoic acids", Oracle::HydrochloricAndEthanoic(), {10, 20}, 0.15},
    // Readings close together, as between two presses: each slope alone is mostly noise.
    {"hydrochloric and ethanoic acids every 0,1 mL", Oracle::HydrochloricAndEthanoic(), {10, 20}, 0.15, 0.1},
    {"phosphoric acid every 0,5 mL", Oracle::PhosphoricAcid(), {10, 20}, 0.1, 0.5},
    // One jump only: a weak acid's start and a strong acid's end are no equivalences.
    {"ethanoic acid", {0, 0, {{0.01, {4.76}, 0}}, 20, true, 0.01}, {20}, 0.1},
    {"hydrochloric acid", {0, 0.01, {}, 20, true, 0.01}, {20}, 0.1},
    {"ammonia", {0, 0, {{0.1, {9.25}, 1}}, 10, false, 0.1}, {10}, 0.1},
    // Carbonic acid's second step is too weak to jump: one equivalence.
    {"carbonic acid", {0, 0, {{0.1, {6.35, 10.33}, 0}}, 10, true, 0.1}, {10}, 0.1},
};

TEST(TitrationJumps, FindsEachEquivalenceWithAndWithoutNoise)
{
    for (const JumpsCase& c : kCases) {
        // Without noise, then with ±0,02 pH drawn ten ways.
        for (std::uint32_t draw = 0; draw <= 10; ++draw) {
            SCOPED_TRACE(::testing::Message() << c.name << ", draw " << draw);
            const QList<QPointF> points = Oracle::Readings(c.beaker, c.stepMl, 30.0, draw ? 0.02 : 0.0, draw);
            const std::vector<Equivalence> jumps = TitrationJumps::FindAll(points);
            ASSERT_EQ(jumps.size(), c.expectedMl.size()) << TitrationJumps::ResultText(jumps).toStdString();
            for (std::size_t i = 0; i < jumps.size(); ++i) {
                EXPECT_NEAR(jumps[i].volumeMl, c.expectedMl[i], c.toleranceMl);
                EXPECT_EQ(jumps[i].rising, c.beaker.baseReagent);
            }
            // The steepest is the one the single analysis finds, to the last digit, unless that
            // one is the start of a weak acid, steeper still, where it finds none.
            const std::optional<Equivalence> steepest = TitrationAnalysis::FindEquivalence(points);
            if (!steepest)
                continue;
            const Equivalence& same = jumps[TitrationJumps::Steepest(jumps)];
            EXPECT_EQ(same.volumeMl, steepest->volumeMl);
            EXPECT_EQ(same.pH, steepest->pH);
            if (jumps.size() == 1) {
                EXPECT_EQ(TitrationJumps::ResultText(jumps), TitrationAnalysis::ResultText(steepest));
                EXPECT_EQ(TitrationJumps::ClipboardResults(jumps), TitrationAnalysis::ClipboardResults(*steepest));
            }
        }
    }
}

TEST(TitrationJumps, HeavyNoiseMakesNoJumpOfItsOwn)
{
    // ±0,05 pH, more than a classroom electrode scatters, on curves of one jump.
    const Oracle::Beaker oneJump[] = {{0, 0, {{0.01, {4.76}, 0}}, 20, true, 0.01},
                                      {0, 0, {{0.0333, {3.13, 4.76, 6.40}, 0}}, 10, true, 0.1},
                                      {0, 0, {{0.1, {6.35, 10.33}, 0}}, 10, true, 0.1}};
    for (const Oracle::Beaker& beaker : oneJump) {
        for (std::uint32_t draw = 1; draw <= 30; ++draw) {
            const std::vector<Equivalence> jumps = TitrationJumps::FindAll(Oracle::Readings(beaker, 0.25, 30, 0.05, draw));
            EXPECT_EQ(jumps.size(), 1u) << draw << ": " << TitrationJumps::ResultText(jumps).toStdString();
        }
    }
}

TEST(TitrationJumps, HalfWayBetweenTwoEquivalencesThePHIsTheMiddlePKa)
{
    // H2PO4− alone is half turned into HPO4 2− half way from the first to the second
    // equivalence: pH = pKa2 there, whatever the first step's dissociation does at Ve1/2.
    const std::vector<Equivalence> jumps = TitrationJumps::FindAll(Oracle::Readings(Oracle::PhosphoricAcid(), 0.25, 30, 0, 0));
    ASSERT_EQ(jumps.size(), 2u);
    ASSERT_TRUE(jumps[1].halfVolumePH.has_value());
    EXPECT_NEAR(*jumps[1].halfVolumePH, 7.20, 0.05);
    ASSERT_TRUE(jumps[0].halfVolumePH.has_value());
    EXPECT_NEAR(*jumps[0].halfVolumePH, Oracle::PHAt(Oracle::PhosphoricAcid(), jumps[0].volumeMl / 2), 0.01);
}

TEST(TitrationJumps, RefusesWhatHasNoJump)
{
    QList<QPointF> ramp, flat;
    for (int i = 0; i <= 60; ++i) {
        ramp.append(QPointF(i * 0.5, 2.0 + i / 6.0 + 0.01 * std::sin(i)));
        flat.append(QPointF(i * 0.5, 7.0 + 0.003 * std::sin(7 * i)));
    }
    for (const QList<QPointF>& points : {ramp, flat, QList<QPointF>{}, QList<QPointF>{{0, 3}, {1, 3.1}, {2, 10}}}) {
        EXPECT_TRUE(TitrationJumps::FindAll(points).empty());
        EXPECT_EQ(TitrationJumps::ResultText(TitrationJumps::FindAll(points)), TitrationAnalysis::NotFoundText());
    }
}

TEST(TitrationJumps, SeveralEquivalencesReadOneByOne)
{
    Equivalence first, second;
    first.volumeMl = 9.981;
    first.pH = 4.6249;
    first.halfVolumePH = 2.2951;
    second.volumeMl = 19.949;
    second.pH = 9.7301;
    second.halfVolumePH = 7.2049;
    const std::vector<Equivalence> jumps = {first, second};
    EXPECT_EQ(TitrationJumps::ResultText(jumps),
              QStringLiteral("Équivalence 1 : Ve = 9,98 mL ; pH = 4,62 — Équivalence 2 : Ve = 19,95 mL ; pH = 9,73"));
    EXPECT_EQ(TitrationJumps::ClipboardResults(jumps), QStringLiteral("Volume à l'équivalence 1 en mL\t9,98\r"
                                                                      "pH à l'équivalence 1\t4,62\r"
                                                                      "pH à la demi-équivalence 1\t2,30\r"
                                                                      "Volume à l'équivalence 2 en mL\t19,95\r"
                                                                      "pH à l'équivalence 2\t9,73\r"
                                                                      "pH à la demi-équivalence 2\t7,20\r"));
    EXPECT_EQ(TitrationJumps::ReportLines(jumps),
              (QStringList{QStringLiteral("Équivalence 1 : Ve = 9,98 mL ; pH = 4,62 ; pH à la demi-équivalence = 2,30"),
                           QStringLiteral("Équivalence 2 : Ve = 19,95 mL ; pH = 9,73 ; pH à la demi-équivalence = 7,20")}));
}

TEST(TitrationJumps, TangentsOnTheJumpTheCallerNames)
{
    for (const JumpsCase& c : kCases) {
        for (std::uint32_t draw = 0; draw <= 3; ++draw) {
            SCOPED_TRACE(::testing::Message() << c.name << ", draw " << draw);
            const QList<QPointF> points = Oracle::Readings(c.beaker, c.stepMl, 30.0, draw ? 0.02 : 0.0, draw);
            const std::vector<Equivalence> jumps = TitrationJumps::FindAll(points);
            ASSERT_EQ(jumps.size(), c.expectedMl.size());
            for (std::size_t i = 0; i < jumps.size(); ++i) {
                const auto tangents = TangentMethod::FindAt(points, jumps, i);
                ASSERT_TRUE(tangents.has_value()) << i;
                EXPECT_NEAR(tangents->volumeMl, c.expectedMl[i], 0.3) << i;
            }
            if (jumps.size() == 1 && TitrationAnalysis::FindEquivalence(points)) {
                const auto alone = TangentMethod::Find(points);
                ASSERT_TRUE(alone.has_value());
                EXPECT_EQ(TangentMethod::FindAt(points, jumps, 0)->volumeMl, alone->volumeMl);
            }
            EXPECT_FALSE(TangentMethod::FindAt(points, jumps, jumps.size()).has_value());
        }
    }
}

TEST(TitrationConcentration, EachSpeciesFromItsOwnStep)
{
    using TitrationConcentration::Content;
    HeaderValues values;
    values.buretteConcentration = QStringLiteral("0,1");
    values.beakerVolume = QStringLiteral("0,010");
    values.quantitiesConfirmed = true;
    const struct {
        std::vector<double> veMl;
        Content content;
        std::vector<double> ca;
        const char* status;
    } cases[] = {
        // A carbonate's second equivalence comes at twice the first: Ca from the first.
        {{10, 20}, Content::OneSpecies, {0.1}, " ; Ca = 1,00 × 10⁻¹ mol/L"},
        {{10}, Content::OneSpecies, {0.1}, " ; Ca = 1,00 × 10⁻¹ mol/L"},
        {{5, 20}, Content::TwoSpecies, {0.05, 0.15}, " ; C1 = 5,00 × 10⁻² mol/L ; C2 = 1,50 × 10⁻¹ mol/L"},
        {{12}, Content::TwoSpecies, {}, " ; concentrations : deux équivalences sont nécessaires pour un mélange"},
        {{}, Content::OneSpecies, {}, " ; concentration : précisez Cb et Va dans Edition > Ajouter un commentaire"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        const std::vector<double> ca = TitrationConcentration::BeakerConcentrations(c.veMl, c.content, values);
        ASSERT_EQ(ca.size(), c.ca.size());
        for (std::size_t i = 0; i < ca.size(); ++i)
            EXPECT_NEAR(ca[i], c.ca[i], 1e-12);
        EXPECT_EQ(TitrationConcentration::StatusSuffix(c.veMl, c.content, values), QString::fromUtf8(c.status));
    }
    EXPECT_EQ(TitrationConcentration::ClipboardLines({0.05, 0.15}),
              QStringLiteral("Concentration de l'espèce 1 dans le bécher en mol/L\t5,00E-2\r"
                             "Concentration de l'espèce 2 dans le bécher en mol/L\t1,50E-1\r"));
    EXPECT_EQ(TitrationConcentration::ClipboardLines({0.1}), TitrationConcentration::ClipboardLine(0.1));
    EXPECT_EQ(TitrationConcentration::ReportLines({0.05, 0.15}).last(),
              QStringLiteral("Concentration de l'espèce 2 dans le bécher : C2 = 1,50 × 10⁻¹ mol/L"));
    values.quantitiesConfirmed = false;
    EXPECT_TRUE(TitrationConcentration::BeakerConcentrations({5, 20}, Content::TwoSpecies, values).empty());
}

}  // namespace
