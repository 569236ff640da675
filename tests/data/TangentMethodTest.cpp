#include "data/TangentMethod.h"

#include "chemistry/TitrationChemistry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

using TitrationChemistry::Reagent;
using TitrationChemistry::Species;

// A reading of the curve every `stepMl` up to `lastMl`, from the charge balance, with an even
// noise of up to `noisePH` drawn from `seed`, rounded as the table's cells hold it.
QList<QPointF> Readings(const TitrationChemistry::Titration& t, double stepMl, double lastMl, double noisePH,
                        std::uint32_t seed)
{
    QList<QPointF> points;
    for (int i = 0; i * stepMl <= lastMl + 1e-9; ++i) {
        const double ml = i * stepMl;
        seed = seed * 1664525u + 1013904223u;
        const double noise = noisePH * (2.0 * (seed >> 8) / double(1u << 24) - 1.0);
        points.append(QPointF(ml, std::round((TitrationChemistry::PH(t, ml) + noise) * 1000.0) / 1000.0));
    }
    return points;
}

struct Case {
    const char* name;
    Species species;
    double pKa;
    double beakerMolPerL;
    double beakerMl;
    Reagent reagent;
    double buretteMolPerL;
    double stepMl;
    double lastMl;
};

TEST(TangentMethod, FindsVeOnChargeBalanceCurvesWithAndWithoutNoise)
{
    const Case cases[] = {
        {"strong acid", Species::StrongAcid, 0, 0.01, 20, Reagent::StrongBase, 0.01, 0.25, 30},
        {"ethanoic acid", Species::WeakAcid, 4.76, 0.01, 20, Reagent::StrongBase, 0.01, 0.25, 30},
        {"weak acid, coarser", Species::WeakAcid, 4.2, 0.1, 10, Reagent::StrongBase, 0.08, 0.5, 20},
        {"strong base, falling", Species::StrongBase, 0, 0.01, 20, Reagent::StrongAcid, 0.012, 0.25, 25},
        {"ammonia, falling", Species::WeakBase, 9.25, 0.01, 20, Reagent::StrongAcid, 0.01, 0.25, 30},
    };
    for (const Case& c : cases) {
        const TitrationChemistry::Titration t{c.species, c.pKa, c.beakerMolPerL, c.beakerMl, c.reagent,
                                              c.buretteMolPerL};
        const double ve = TitrationChemistry::EquivalenceVolumeMl(t);
        // Without noise, then with ±0,02 pH drawn ten ways.
        for (int draw = 0; draw <= 10; ++draw) {
            SCOPED_TRACE(::testing::Message() << c.name << ", draw " << draw);
            const auto found = TangentMethod::Find(Readings(t, c.stepMl, c.lastMl, draw ? 0.02 : 0.0, draw));
            ASSERT_TRUE(found.has_value());
            EXPECT_NEAR(found->volumeMl, ve, 0.2);
            // The tangents touch the curve, one on each side of Ve, and the middle line lies
            // midway between them, where it crosses the curve.
            for (const QPointF& touch : {found->beforeTouch, found->afterTouch})
                EXPECT_NEAR(touch.y(), TitrationChemistry::PH(t, touch.x()), 0.05) << touch.x();
            EXPECT_LT(found->beforeTouch.x(), found->volumeMl);
            EXPECT_GT(found->afterTouch.x(), found->volumeMl);
            EXPECT_NEAR(found->before.PH(found->beforeTouch.x()), found->beforeTouch.y(), 1e-9);
            EXPECT_NEAR(found->after.PH(found->afterTouch.x()), found->afterTouch.y(), 1e-9);
            EXPECT_NEAR(found->middle.PH(ve), (found->before.PH(ve) + found->after.PH(ve)) / 2, 1e-9);
            EXPECT_NEAR(found->middle.PH(found->volumeMl), found->pH, 0.01);
            EXPECT_EQ(found->before.slope > 0, TitrationChemistry::Rising(c.reagent));
        }
    }
}

TEST(TangentMethod, RefusesACurveWithoutABendOnEachSide)
{
    QList<QPointF> flat, stoppedAfterTheJump;
    for (int i = 0; i <= 60; ++i)
        flat.append(QPointF(i * 0.5, 7.0 + 0.02 * std::sin(i * 1.7)));
    const TitrationChemistry::Titration strongAcid{Species::StrongAcid, 0, 0.01, 20, Reagent::StrongBase, 0.01};
    for (const QPointF& p : Readings(strongAcid, 0.25, 30, 0, 0))
        if (p.x() <= 20.75)
            stoppedAfterTheJump.append(p);
    EXPECT_FALSE(TangentMethod::Find(flat).has_value());
    EXPECT_FALSE(TangentMethod::Find(stoppedAfterTheJump).has_value());
    EXPECT_FALSE(TangentMethod::Find({}).has_value());
}

}  // namespace
