#include "data/ConductimetricAnalysis.h"

#include "chemistry/TitrationConductivity.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

using namespace ConductimetricAnalysis;
using TitrationChemistry::Reagent;
using TitrationChemistry::Species;

// The conductivity every `stepMl` up to `lastMl`, from the ions' molar conductivities, each
// reading off by up to ±`noise` of itself, rounded as a conductimeter shows it (0,001 mS/cm).
QList<QPointF> Readings(const TitrationChemistry::Titration& t, double stepMl, double lastMl, double noise,
                        unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> spread(-noise, noise);
    QList<QPointF> points;
    for (int i = 0; i * stepMl <= lastMl + 1e-9; ++i) {
        const double ml = i * stepMl;
        const double sigma = TitrationConductivity::MilliSiemensPerCm(t, ml) * (1.0 + spread(generator));
        points.append(QPointF(ml, std::round(sigma * 1000.0) / 1000.0));
    }
    return points;
}

TEST(ConductimetricAnalysis, IntersectionFindsVeOnCurvesFromMolarConductivities)
{
    // 20 mL of acid at 0,01 mol/L: by sodium hydroxide at 0,01 mol/L, the dilution corrected
    // (Va = 20 mL); or in 200 mL of water more by sodium hydroxide at 0,1 mol/L, where the
    // 3 mL poured dilute the beaker by at most 1,4 % and nothing is corrected.
    struct Case {
        const char* name;
        Species species;
        bool diluted;  // 200 mL of water added, no correction
        double noise;
    };
    const Case cases[] = {
        {"HCl, corrected", Species::StrongAcid, false, 0.0},
        {"HCl, corrected, noise", Species::StrongAcid, false, 0.01},
        {"HCl, diluted", Species::StrongAcid, true, 0.0},
        {"HCl, diluted, noise", Species::StrongAcid, true, 0.01},
        {"ethanoic, corrected", Species::WeakAcid, false, 0.0},
        {"ethanoic, corrected, noise", Species::WeakAcid, false, 0.01},
        {"ethanoic, diluted", Species::WeakAcid, true, 0.0},
        {"ethanoic, diluted, noise", Species::WeakAcid, true, 0.01},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TitrationChemistry::Titration t{c.species, TitrationChemistry::kEthanoicPKa, 0.01, 20.0,
                                        Reagent::StrongBase, 0.01};
        std::optional<double> va = 20.0;
        double step = 1.0, last = 30.0;
        if (c.diluted) {
            t.beakerMolPerL = 0.01 * 20.0 / 220.0;
            t.beakerVolumeMl = 220.0;
            t.buretteMolPerL = 0.1;
            va.reset();
            step = 0.2;
            last = 3.0;
        }
        const double ve = TitrationChemistry::EquivalenceVolumeMl(t);
        QList<QPointF> points = Readings(t, step, last, c.noise, 7);
        std::reverse(points.begin(), points.end());  // typed in any order
        const Outcome outcome = Analyse(points, va);
        ASSERT_TRUE(outcome.result.has_value()) << outcome.refusal.toStdString();
        const Result& r = *outcome.result;
        EXPECT_NEAR(r.volumeMl, ve, 0.1);
        EXPECT_EQ(r.dilutionCorrected, va.has_value());
        // As many points on each side, next to each other at the break.
        EXPECT_EQ(r.before.count, r.after.count);
        EXPECT_NEAR(r.afterRange.fromMl - r.beforeRange.toMl, step, 1e-9);
        EXPECT_NEAR(r.before.At(r.volumeMl), r.after.At(r.volumeMl), 1e-9);
    }
}

TEST(ConductimetricAnalysis, HandRangesLeaveOutTheWeakAcidsStart)
{
    const TitrationChemistry::Titration t{Species::WeakAcid, TitrationChemistry::kEthanoicPKa, 0.01, 20.0,
                                          Reagent::StrongBase, 0.01};
    const QList<QPointF> points = Readings(t, 1.0, 30.0, 0.0, 1);
    const Outcome chosen = Analyse(points, 20.0, {10.0, 19.0}, {21.0, 30.0});
    ASSERT_TRUE(chosen.result.has_value()) << chosen.refusal.toStdString();
    EXPECT_NEAR(chosen.result->volumeMl, 20.0, 0.05);
    EXPECT_DOUBLE_EQ(chosen.result->beforeRange.fromMl, 10.0);
    EXPECT_DOUBLE_EQ(chosen.result->afterRange.toMl, 30.0);
    Result written;
    written.volumeMl = 10.0151;
    EXPECT_EQ(ResultText(written), QStringLiteral("Équivalence (conductimétrie) : Ve = 10,02 mL"));

    const Outcome narrow = Analyse(points, 20.0, {10.0, 19.0}, {29.5, 30.0});
    EXPECT_FALSE(narrow.result.has_value());
    EXPECT_EQ(narrow.refusal, QStringLiteral("Moins de 3 points après l'équivalence (de 29,5 à 30 mL) : "
                                             "élargissez ce domaine."));
}

TEST(ConductimetricAnalysis, UncertaintyMatchesTheSpreadOfRepeatedTitrations)
{
    // The same titration measured 400 times with readings off by a normal 0,01 mS/cm: the
    // standard deviation of the Ve found is what each analysis's uncertainty claims, on the
    // student's ranges and on the automatic split when the break lies between two readings.
    struct Case {
        const char* name;
        double buretteMolPerL;
        std::optional<std::pair<Range, Range>> ranges;
    };
    const Case cases[] = {
        {"ranges", 0.01, std::pair<Range, Range>{{8.0, 19.0}, {21.0, 30.0}}},
        {"automatic", 0.01 * 20.0 / 20.5, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TitrationChemistry::Titration t{Species::StrongAcid, 0, 0.01, 20.0, Reagent::StrongBase, c.buretteMolPerL};
        std::mt19937 generator(11);
        std::normal_distribution<double> noise(0.0, 0.01);
        double sum = 0.0, squares = 0.0, claimed = 0.0;
        constexpr int kRuns = 400;
        for (int run = 0; run < kRuns; ++run) {
            QList<QPointF> points;
            for (int ml = 0; ml <= 30; ++ml)
                points.append(QPointF(ml, TitrationConductivity::MilliSiemensPerCm(t, ml) * (20.0 + ml) / 20.0
                                              + noise(generator)));
            const Outcome outcome = c.ranges ? Analyse(points, std::nullopt, c.ranges->first, c.ranges->second)
                                             : Analyse(points, std::nullopt);
            ASSERT_TRUE(outcome.result.has_value());
            sum += outcome.result->volumeMl;
            squares += outcome.result->volumeMl * outcome.result->volumeMl;
            claimed += outcome.result->standardUncertaintyMl * outcome.result->standardUncertaintyMl;
        }
        const double spread = std::sqrt((squares - sum * sum / kRuns) / (kRuns - 1));
        EXPECT_NEAR(std::sqrt(claimed / kRuns), spread, 0.1 * spread);
        EXPECT_NEAR(sum / kRuns, TitrationChemistry::EquivalenceVolumeMl(t), 3.0 * spread / std::sqrt(double(kRuns)));
    }
}

TEST(ConductimetricAnalysis, RefusesCurvesWithoutABreak)
{
    const QString noBreak = QStringLiteral("Pas de rupture de pente : les points suivent une seule droite.");
    std::mt19937 generator(3);
    std::uniform_real_distribution<double> spread(-0.01, 0.01);
    for (int draw = 0; draw < 6; ++draw) {
        SCOPED_TRACE(draw);
        QList<QPointF> line, flat;
        // Without noise first, then ±1 %.
        const double noise = draw ? 1.0 : 0.0;
        for (int ml = 0; ml <= 30; ++ml) {
            // Straight once corrected for the dilution in 20 mL.
            line.append(QPointF(ml, (0.5 + 0.05 * ml) * 20.0 / (20.0 + ml) * (1.0 + noise * spread(generator))));
            flat.append(QPointF(ml, 1.2 * (1.0 + noise * spread(generator))));
        }
        EXPECT_EQ(Analyse(line, 20.0).refusal, noBreak);
        EXPECT_EQ(Analyse(flat, std::nullopt).refusal, noBreak);
    }
    const QList<QPointF> five{{0, 4.0}, {1, 3.0}, {2, 2.0}, {3, 2.5}, {4, 3.0}};
    EXPECT_EQ(Analyse(five, std::nullopt).refusal,
              QStringLiteral("Trop peu de points pour tracer deux droites : il en faut au moins 6, à des volumes "
                             "différents."));
}

}  // namespace
