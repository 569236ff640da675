#include "data/TitrationAnalysis.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using namespace TitrationAnalysis;

// 20 mL of acid at 0,01 mol/L titrated by a base at 0,01 mol/L: Ve = 20 mL.
constexpr double kAcidMl = 20.0;
constexpr double kMolPerL = 0.01;
constexpr double kKw = 1e-14;
constexpr double kEthanoicKa = 1.7378e-5;  // pKa 4,76

// pH from the charge balance h + Na = Kw / h + A (A the acid's anion), by bisection on the pH.
double BalancePH(double baseMl, double ka)
{
    const double total = kAcidMl + baseMl;
    const double sodium = kMolPerL * baseMl / total;
    const double acid = kMolPerL * kAcidMl / total;
    auto excess = [&](double pH) {
        const double h = std::pow(10.0, -pH);
        const double anion = ka > 0 ? acid * ka / (ka + h) : acid;
        return h + sodium - kKw / h - anion;
    };
    double low = 0.0, high = 14.0;
    for (int i = 0; i < 80; ++i) {
        const double mid = (low + high) / 2;
        (excess(mid) > 0 ? low : high) = mid;
    }
    return (low + high) / 2;
}

double StrongAcidPH(double ml) { return BalancePH(ml, 0.0); }
double EthanoicAcidPH(double ml) { return BalancePH(ml, kEthanoicKa); }
// A base titrated by the acid: the mirror of the strong acid curve.
double StrongBasePH(double ml) { return 14.0 - StrongAcidPH(ml); }

// Points at the given volumes, rounded as the table's cells hold them (0,001 mL, 0,001 pH).
QList<QPointF> Curve(const std::function<double(double)>& pH, const QList<double>& volumes)
{
    QList<QPointF> points;
    for (double v : volumes) {
        const double ml = std::round(v * 1000.0) / 1000.0;
        points.append(QPointF(ml, std::round(pH(ml) * 1000.0) / 1000.0));
    }
    return points;
}

QList<double> Every(double step, double last = 30.0)
{
    QList<double> volumes;
    for (int i = 0; i * step <= last + 1e-9; ++i)
        volumes.append(i * step);
    return volumes;
}

struct CurveCase {
    const char* name;
    std::function<double(double)> pH;
    QList<double> volumes;
    bool rising;
};

void PrintTo(const CurveCase& c, std::ostream* out)
{
    *out << c.name;
}

class SyntheticCurveTest : public ::testing::TestWithParam<CurveCase> {};

TEST_P(SyntheticCurveTest, EquivalenceNearTwentyMillilitres)
{
    const CurveCase& c = GetParam();
    const auto result = FindEquivalence(Curve(c.pH, c.volumes));
    ASSERT_TRUE(result.has_value());
    EXPECT_NEAR(result->volumeMl, 20.0, 0.2);
    EXPECT_NEAR(result->pH, 7.0, 0.5);
    EXPECT_EQ(result->rising, c.rising);
}

// Uneven steps, closer near the jump, with a repeated volume as a hesitating run leaves.
QList<double> Uneven()
{
    QList<double> volumes = {0, 0, 0, 2, 5, 9, 12, 15, 17, 18, 18.5, 19, 19.4, 19.4, 19.7, 19.9, 20.05, 20.3,
                             20.6, 21, 22, 24, 27, 30};
    return volumes;
}

INSTANTIATE_TEST_SUITE_P(
    Curves, SyntheticCurveTest,
    ::testing::Values(CurveCase{"StrongAcidEveryQuarter", StrongAcidPH, Every(0.25), true},
                      CurveCase{"StrongAcidEveryTwoFifths", StrongAcidPH, Every(0.4), true},
                      CurveCase{"StrongAcidUneven", StrongAcidPH, Uneven(), true},
                      CurveCase{"BaseByAcidFalls", StrongBasePH, Every(0.25), false},
                      CurveCase{"BaseByAcidUneven", StrongBasePH, Uneven(), false}),
    [](const ::testing::TestParamInfo<CurveCase>& info) { return std::string(info.param.name); });

TEST(TitrationAnalysis, EthanoicAcidHalfEquivalenceGivesThePKa)
{
    // The weak acid's equivalence is basic: about pH 8,2.
    const auto result = FindEquivalence(Curve(EthanoicAcidPH, Every(0.25)));
    ASSERT_TRUE(result.has_value());
    EXPECT_NEAR(result->volumeMl, 20.0, 0.2);
    EXPECT_NEAR(result->pH, 8.3, 0.6);
    ASSERT_TRUE(result->halfVolumePH.has_value());
    EXPECT_NEAR(*result->halfVolumePH, 4.76, 0.1);
}

TEST(TitrationAnalysis, RowOrderDoesNotMatter)
{
    QList<QPointF> points = Curve(StrongAcidPH, Every(0.5));
    const auto inOrder = FindEquivalence(points);
    std::reverse(points.begin(), points.end());
    std::swap(points[3], points[40]);
    const auto shuffled = FindEquivalence(points);
    ASSERT_TRUE(inOrder && shuffled);
    EXPECT_DOUBLE_EQ(inOrder->volumeMl, shuffled->volumeMl);
    EXPECT_DOUBLE_EQ(inOrder->pH, shuffled->pH);
}

TEST(TitrationAnalysis, ParabolaRefinesBetweenTheSampledSlopes)
{
    // A symmetric jump centred at 20,4 mL sampled every 0,5 mL: the steepest interval is
    // centred at 20,25 mL, and the parabola through the three slopes takes Ve at least half
    // way from there to 20,4.
    auto jump = [](double ml) { return 7.0 + 4.0 * std::tanh((ml - 20.4) / 0.4); };
    const auto result = FindEquivalence(Curve(jump, Every(0.5)));
    ASSERT_TRUE(result.has_value());
    EXPECT_LT(std::abs(result->volumeMl - 20.4), 0.15 / 2);
    EXPECT_NEAR(result->pH, 7.0, 0.3);
}

struct NotFoundCase {
    const char* name;
    QList<QPointF> points;
};

void PrintTo(const NotFoundCase& c, std::ostream* out)
{
    *out << c.name;
}

class NotFoundTest : public ::testing::TestWithParam<NotFoundCase> {};

TEST_P(NotFoundTest, AnswersIntrouvable)
{
    const auto result = FindEquivalence(GetParam().points);
    EXPECT_FALSE(result.has_value()) << "Ve = " << result->volumeMl;
    EXPECT_EQ(ResultText(result), QStringLiteral("Point d'équivalence introuvable"));
}

QList<QPointF> Generated(const std::function<double(double)>& pH, int count, double step = 1.0)
{
    QList<QPointF> points;
    for (int i = 0; i < count; ++i)
        points.append(QPointF(i * step, pH(i * step)));
    return points;
}

INSTANTIATE_TEST_SUITE_P(
    Curves, NotFoundTest,
    ::testing::Values(
        NotFoundCase{"Empty", {}},
        NotFoundCase{"Flat", Generated([](double) { return 7.0; }, 30)},
        NotFoundCase{"FlatWithReadingNoise", Generated([](double v) { return 7.0 + 0.003 * std::sin(7 * v); }, 60, 0.5)},
        NotFoundCase{"StraightRamp", Generated([](double v) { return 2.0 + v / 3.0 + 0.01 * std::sin(v); }, 31)},
        NotFoundCase{"FourPointsWithAJump", {{0, 3}, {1, 3.1}, {2, 10}, {3, 10.1}}},
        NotFoundCase{"FivePointsOnFourVolumes", {{0, 3}, {1, 3.1}, {1, 3.1}, {2, 10}, {3, 10.1}}},
        NotFoundCase{"JumpOnTheLastStep", Generated([](double v) { return v < 18.5 ? 3.0 + v / 100 : 11.0; }, 20)},
        NotFoundCase{"StartsOnTheJump", Generated([](double v) { return v < 0.5 ? 3.0 : 10.0 + v / 100; }, 20)},
        NotFoundCase{"NotANumber", Generated([](double) { return std::nan(""); }, 10)}),
    [](const ::testing::TestParamInfo<NotFoundCase>& info) { return std::string(info.param.name); });

TEST(TitrationAnalysis, FivePointsAroundAJumpAreEnough)
{
    const auto result = FindEquivalence({{0, 3}, {1, 3.2}, {2, 3.5}, {3, 10}, {4, 10.3}});
    ASSERT_TRUE(result.has_value());
    EXPECT_GT(result->volumeMl, 2.0);
    EXPECT_LT(result->volumeMl, 3.0);
}

TEST(TitrationAnalysis, DerivativeOfUnevenAndRepeatedVolumes)
{
    // 1 mL holds two readings: merged at their mean pH 3,5.
    const QList<QPointF> curve = CurvePoints({{3, 6}, {0, 1}, {1, 3}, {1, 4}, {std::nan(""), 2}});
    ASSERT_EQ(curve, (QList<QPointF>{{0, 1}, {1, 3.5}, {3, 6}}));
    EXPECT_EQ(Derivative(curve), (QList<QPointF>{{0.5, 2.5}, {2, 1.25}}));
    EXPECT_DOUBLE_EQ(InterpolatePH(curve, 2.0), 4.75);
    EXPECT_DOUBLE_EQ(InterpolatePH(curve, -1.0), 1.0);
    EXPECT_DOUBLE_EQ(InterpolatePH(curve, 9.0), 6.0);
    EXPECT_TRUE(Derivative({{1, 2}}).isEmpty());
}

TEST(TitrationAnalysis, HalfVolumeBeforeTheFirstPointIsLeftOut)
{
    // Measured from 15 mL on: Ve / 2 = 10 mL is not on the curve.
    QList<double> late;
    for (double v = 15.0; v <= 25.0; v += 0.25)
        late.append(v);
    const auto result = FindEquivalence(Curve(StrongAcidPH, late));
    ASSERT_TRUE(result.has_value());
    EXPECT_FALSE(result->halfVolumePH.has_value());
    EXPECT_FALSE(ResultText(result).contains(QStringLiteral("V/2")));
}

TEST(TitrationAnalysis, TextsUseTheCommaAndTwoDecimals)
{
    Equivalence found;
    found.volumeMl = 20.0349;
    found.pH = 7.0151;
    found.halfVolumePH = 4.7749;
    EXPECT_EQ(ResultText(found), QStringLiteral("Équivalence : V = 20,03 mL ; pH = 7,02 ; pH à V/2 = 4,77"));
    EXPECT_EQ(ClipboardResults(found), QStringLiteral("Volume à l'équivalence en mL\t20,03\r"
                                                      "pH à l'équivalence\t7,02\r"
                                                      "pH à la demi-équivalence\t4,77\r"));
    found.halfVolumePH.reset();
    EXPECT_EQ(ResultText(found), QStringLiteral("Équivalence : V = 20,03 mL ; pH = 7,02"));
    EXPECT_EQ(ClipboardResults(found),
              QStringLiteral("Volume à l'équivalence en mL\t20,03\rpH à l'équivalence\t7,02\r"));
}

}  // namespace
