#include "data/Uncertainty.h"

#include "chemistry/TitrationChemistry.h"
#include "data/TangentMethod.h"
#include "data/TitrationAnalysis.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace {

using namespace Uncertainty;

// Cb = 0,0100 ± 0,0001 mol/L, Va = 20,00 ± 0,03 mL, Ve = 19,90 mL found with a standard
// uncertainty of 0,05 mL, a burette ± 0,05 mL read to ± 0,05 mL.
Budget Example()
{
    return MakeBudget(0.01, 20.0, 19.9, {0.05, Shape::Normal}, Tolerances{});
}

TEST(Uncertainty, PropagationMatchesTheHandComputation)
{
    const Propagation p = Propagate(Example());
    // u(Ve)² = 0,05² + 0,05²/3 + 0,05²/3 = 0,0041667; u(Ve) = 0,064550 mL.
    EXPECT_NEAR(VeUncertainty(Example()), 0.064550, 1e-6);
    // Relative: Cb 0,0001/√3/0,01 = 5,7735e-3; Va 0,03/√3/20 = 8,6603e-4; Ve 0,064550/19,9
    // = 3,2437e-3; in quadrature 6,6788e-3, times Ca = 9,95e-3 mol/L.
    EXPECT_NEAR(p.caMolPerL, 9.95e-3, 1e-15);
    EXPECT_NEAR(p.relativeCb, 5.7735e-3, 1e-7);
    EXPECT_NEAR(p.relativeVa, 8.6603e-4, 1e-8);
    EXPECT_NEAR(p.relativeVe, 3.2437e-3, 1e-7);
    EXPECT_NEAR(p.uCaMolPerL, 6.6454e-5, 1e-9);
    // Without an equivalence volume nothing is worked out, rather than a division by zero.
    const Budget noVe = MakeBudget(0.01, 20.0, 0.0, {}, Tolerances{});
    EXPECT_EQ(Propagate(noVe).uCaMolPerL, 0.0);
    EXPECT_EQ(MonteCarlo(noVe).draws, 0);
}

TEST(Uncertainty, MonteCarloAgreesWithThePropagationForSmallUncertainties)
{
    const Budget budget = Example();
    const Propagation p = Propagate(budget);
    const MonteCarloResult mc = MonteCarlo(budget, kDraws, 2024);
    EXPECT_EQ(mc.draws, kDraws);
    EXPECT_NEAR(mc.meanMolPerL, p.caMolPerL, 0.02 * p.caMolPerL);
    EXPECT_NEAR(mc.standardDeviationMolPerL, p.uCaMolPerL, 0.02 * p.uCaMolPerL);
    EXPECT_EQ(std::accumulate(mc.histogram.counts.begin(), mc.histogram.counts.end(), 0), kDraws);
    EXPECT_LE(mc.histogram.from, p.caMolPerL - 3 * p.uCaMolPerL);
    EXPECT_GE(mc.histogram.To(), p.caMolPerL + 3 * p.uCaMolPerL);
    // The same seed draws the same values; another one others.
    EXPECT_EQ(MonteCarlo(budget, 1000, 5).meanMolPerL, MonteCarlo(budget, 1000, 5).meanMolPerL);
    EXPECT_NE(MonteCarlo(budget, 1000, 5).meanMolPerL, MonteCarlo(budget, 1000, 6).meanMolPerL);
}

TEST(Uncertainty, WrittenResultRoundsTheUncertaintyToTwoDigits)
{
    struct Case {
        const char* symbol;
        double value;
        double u;
        const char* unit;
        const char* text;
    };
    const Case cases[] = {
        // u = 0,0796 × 10⁻³ rounds to 0,080: the trailing zero is not written.
        {"Ca", 9.9512e-3, 7.96e-5, "mol/L", "Ca = (9,95 ± 0,08) × 10⁻³ mol/L"},
        {"Ca", 9.9512e-3, 7.44e-5, "mol/L", "Ca = (9,951 ± 0,074) × 10⁻³ mol/L"},
        // The value rounds up into the next power of ten.
        {"Ca", 9.9996e-3, 2.4e-5, "mol/L", "Ca = (1,0000 ± 0,0024) × 10⁻² mol/L"},
        // u rounds up to a new digit: 0,0996 gives 0,10, written 0,1.
        {"Ve", 20.0345, 0.0996, "mL", "Ve = (20,0 ± 0,1) mL"},
        {"Ve", 20.0345, 0.2946, "mL", "Ve = (20,03 ± 0,29) mL"},
        // The model's result, written as the others.
        {"Ca", 1.07012e-2, 1.04e-6, "mol/L", "Ca = (1,0701 ± 0,0001) × 10⁻² mol/L"},
        {"pKa", 4.77123, 0.02134, "", "pKa = 4,771 ± 0,021"},
        {"V", 1234.4, 56.0, "mL", "V = (1,234 ± 0,056) × 10³ mL"},
        {"x", -0.03456, 0.0012, "", "x = (-3,46 ± 0,12) × 10⁻²"},
        {"Ve", 20.0, 0.0, "mL", "Ve = 20 mL"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResultText(QString::fromUtf8(c.symbol), c.value, c.u, QString::fromUtf8(c.unit)),
                  QString::fromUtf8(c.text));
    EXPECT_EQ(SpreadsheetPair(9.9512e-3, 7.96e-5), std::make_pair(QStringLiteral("9,95E-3"), QStringLiteral("0,08E-3")));
    EXPECT_EQ(SpreadsheetPair(20.0345, 0.2946), std::make_pair(QStringLiteral("20,03"), QStringLiteral("0,29")));
}

TEST(Uncertainty, NormalisedGapToTheReference)
{
    struct Case {
        double value, u, reference;
        double z;
        const char* text;
    };
    const Case cases[] = {
        {9.96e-3, 8e-5, 1.0e-2, 0.5, "Écart normalisé à la référence : z = 0,50 ; compatible"},
        {0.5, 0.125, 0.75, 2.0, "Écart normalisé à la référence : z = 2,00 ; compatible"},
        {1.05e-2, 8e-5, 1.0e-2, 6.25, "Écart normalisé à la référence : z = 6,25 ; non compatible (z > 2)"},
        {1.5e-2, 1e-4, 1.0e-2, 50.0, "Écart normalisé à la référence : z = 50,0 ; non compatible (z > 2)"},
    };
    for (const Case& c : cases) {
        const std::optional<Comparison> comparison = Compare(c.value, c.u, c.reference);
        ASSERT_TRUE(comparison.has_value());
        EXPECT_NEAR(comparison->z, c.z, 1e-9);
        EXPECT_EQ(ComparisonText(*comparison), QString::fromUtf8(c.text));
    }
    EXPECT_FALSE(Compare(1e-2, 0.0, 1e-2).has_value());
}

TEST(Uncertainty, PeakAndTangentsFindVeWithinTheirStep)
{
    // Wherever the equivalence falls inside a step, both methods land within the half step
    // that their rectangular uncertainty spans (√3 u).
    for (const double step : {1.0, 0.5}) {
        for (const double offset : {0.0, 0.2, 0.45, 0.7}) {
            SCOPED_TRACE(::testing::Message() << "step " << step << ", offset " << offset);
            const TitrationChemistry::Titration t{TitrationChemistry::Species::StrongAcid, 0, 0.01, 20.0,
                                                  TitrationChemistry::Reagent::StrongBase, 0.01};
            QList<QPointF> points;
            for (double ml = offset * step; ml <= 30.0; ml += step)
                points.append(QPointF(ml, TitrationChemistry::PH(t, ml)));
            const auto peak = TitrationAnalysis::FindEquivalence(points);
            const auto tangents = TangentMethod::Find(points);
            ASSERT_TRUE(peak && tangents);
            const Component uPeak = PeakUncertainty(points, peak->volumeMl);
            const Component uTangents = TangentUncertainty(points, tangents->volumeMl);
            EXPECT_NEAR(uPeak.standard, step / std::sqrt(12.0), 1e-12);
            EXPECT_LE(std::abs(peak->volumeMl - 20.0), std::sqrt(3.0) * uPeak.standard + 1e-6);
            EXPECT_LE(std::abs(tangents->volumeMl - 20.0), std::sqrt(3.0) * uTangents.standard + 1e-6);
        }
    }
    // A tighter step around the jump gives a smaller u.
    const QList<QPointF> tightened{{18, 4}, {19, 4.5}, {19.8, 5}, {20.0, 7}, {20.2, 9}, {21, 10}};
    EXPECT_NEAR(PeakUncertainty(tightened, 20.1).standard, 0.2 / std::sqrt(12.0), 1e-12);
    EXPECT_NEAR(ModelUncertainty(20.0, 1.0e-2, 5.0e-5).standard, 0.1, 1e-12);
}

TEST(Uncertainty, ClipboardLinesCarryTheBudgetAndTheComparison)
{
    const Budget budget = Example();
    const std::optional<Comparison> comparison = Compare(Propagate(budget).caMolPerL, Propagate(budget).uCaMolPerL, 1e-2);
    EXPECT_EQ(ClipboardLines(budget, std::nullopt, comparison),
              QStringLiteral("Incertitude-type sur Ve due à la méthode en mL\t0,05\r"
                             "Incertitude-type sur Ve due à la burette en mL\t0,029\r"
                             "Incertitude-type sur Ve due à la lecture en mL\t0,029\r"
                             "Incertitude-type sur Ve en mL\t0,065\r"
                             "Ca (propagation) en mol/L\t9,950E-3\r"
                             "Incertitude-type sur Ca (propagation) en mol/L\t0,066E-3\r"
                             "Ca de référence en mol/L\t0,01\r"
                             "Écart normalisé z\t0,75\r"
                             "Compatible avec la référence\toui\r"));
}

}  // namespace
