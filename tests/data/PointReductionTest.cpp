#include "ConvertError.h"
#include "MeasurementRecord.h"
#include "MeasurementTextIo.h"
#include "NumberText.h"
#include "PointReduction.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using R = MeasurementRecord;
using namespace PointReduction;

constexpr double kStepL = 0.0001;  // volume between two rows

// N points, V(r) = r x 0.1 mL, pH from `curve`, loaded as an open or a restore leaves them.
void Load(R& record, int n, const std::function<double(int)>& curve)
{
    QString text;
    for (int r = 1; r <= n; ++r)
        text += NumberText::Fixed(curve(r), 4, 3) + QLatin1Char('\t') + NumberText::Fixed(r * kStepL, 6, 6) + QLatin1Char('\r');
    text += QStringLiteral("\r\r\r");
    MeasurementTextIo::FillTableFromText(record, text);
}

// Slope 10 pH/L everywhere except a jump of 6 from row e to row e + 1.
std::function<double(int)> RiseAt(int e)
{
    return [e](int r) { return 3.0 + 0.001 * r + (r > e ? 6.0 : 0.0); };
}

double FallingCurve(int r)
{
    return 12.0 - 0.01 * r;
}

QStringList Volumes(const QString& reducedText)
{
    R table;
    MeasurementTextIo::FillTableFromText(table, reducedText);
    QStringList volumes;
    for (int r = 1; r <= table.PointCount(); ++r)
        volumes << table.Cell(R::ColVolume, r);
    return volumes;
}

// The volumes a reduction must give: 0, then the mean volume of each group (first row,
// size), then V(N).
QStringList ExpectedVolumes(const std::vector<std::pair<int, int>>& groups, int n)
{
    QStringList volumes{QStringLiteral("0,000000")};
    for (const auto& [first, size] : groups)
        volumes << NumberText::Fixed((first + (size - 1) / 2.0) * kStepL, 6, 6);
    volumes << NumberText::Fixed(n * kStepL, 6, 6);
    return volumes;
}

void AddGroups(std::vector<std::pair<int, int>>& groups, int first, int last, int size)
{
    for (int r = first; r <= last; r += size)
        groups.emplace_back(r, size);
}

TEST(PointReductionTest, MakePlan_GivesTheZonesOfTheWorkedCases)
{
    struct Case {
        int n, k, e;
        Plan expected;
    };
    const Case cases[] = {
        {300, 100, 150, {30, 50, 1, 6, 300, 5, 60, 126, 156}},
        {300, 100, 1, {30, 50, 1, 6, 300, 5, 60, -18, 12}},
        {300, 200, 150, {30, 100, 1, 3, 300, 2, 150, 78, 108}},
        {21, 20, 10, {2, 10, 1, 3, 39, 2, 19, 3, 5}},
    };
    for (const auto& c : cases) {
        const std::optional<Plan> plan = MakePlan(c.n, c.k, c.e);
        ASSERT_TRUE(plan.has_value());
        const Plan& p = *plan;
        const Plan& x = c.expected;
        SCOPED_TRACE(testing::Message() << "N " << c.n << " K " << c.k << " e " << c.e);
        EXPECT_EQ(p.a, x.a);
        EXPECT_EQ(p.b, x.b);
        EXPECT_EQ(p.gs, x.gs);
        EXPECT_EQ(p.gl, x.gl);
        EXPECT_EQ(p.w, x.w);
        EXPECT_EQ(p.d, x.d);
        EXPECT_EQ(p.h, x.h);
        EXPECT_EQ(p.s1, x.s1);
        EXPECT_EQ(p.s2, x.s2);
    }
}

TEST(PointReductionTest, SteepestRise_FirstLargestRiseWinsAndAFallingCurveGivesRowOne)
{
    R rising;
    Load(rising, 300, RiseAt(150));
    EXPECT_EQ(SteepestRise(ReadPoints(rising)), 150);
    R falling;
    Load(falling, 300, FallingCurve);
    EXPECT_EQ(SteepestRise(ReadPoints(falling)), 1);
    // Equal volumes are skipped; of two equal rises the first wins.
    const std::vector<Point> points = {{1, 0}, {5, 0}, {2, 0.001}, {3, 0.002}, {4, 0.003}};
    EXPECT_EQ(SteepestRise(points), 3);
}

TEST(PointReductionTest, WorkedExample_Keeps76PointsInTheStatedGroups)
{
    R record;
    Load(record, 300, RiseAt(150));
    const Result result = Reduce(record, 100);
    ASSERT_EQ(result.outcome, Outcome::Reduced);
    EXPECT_EQ(result.lineCount, 76);
    std::vector<std::pair<int, int>> groups;
    AddGroups(groups, 6, 120, 6);
    AddGroups(groups, 126, 155, 1);
    AddGroups(groups, 156, 294, 6);
    EXPECT_EQ(Volumes(result.text), ExpectedVolumes(groups, 300));
    // The end points lie on the fitted lines: 3 + 10 V at the start, 9 + 10 V at the end.
    EXPECT_TRUE(result.text.startsWith(QStringLiteral("3,000\t0,000000\r")));
    EXPECT_TRUE(result.text.endsWith(QStringLiteral("9,300\t0,030000\r\r\r\r")));
    // The table is only read.
    EXPECT_EQ(record.PointCount(), 300);
}

TEST(PointReductionTest, FallingCurve_Keeps61Points)
{
    R record;
    Load(record, 300, FallingCurve);
    const Result result = Reduce(record, 100);
    ASSERT_EQ(result.outcome, Outcome::Reduced);
    EXPECT_EQ(result.lineCount, 61);
    std::vector<std::pair<int, int>> groups;
    AddGroups(groups, 1, 11, 1);
    AddGroups(groups, 12, 294, 6);
    EXPECT_EQ(Volumes(result.text), ExpectedVolumes(groups, 300));
}

TEST(PointReductionTest, TwoHundredAsked_Keeps121Points)
{
    R record;
    Load(record, 300, RiseAt(150));
    const Result result = Reduce(record, 200);
    ASSERT_EQ(result.outcome, Outcome::Reduced);
    EXPECT_EQ(result.lineCount, 121);
    std::vector<std::pair<int, int>> groups;
    AddGroups(groups, 3, 75, 3);
    AddGroups(groups, 78, 107, 1);
    AddGroups(groups, 108, 297, 3);
    EXPECT_EQ(Volumes(result.text), ExpectedVolumes(groups, 300));
}

TEST(PointReductionTest, RequestedCount_OutsideTheWorkingRangeDoesNothingOrReportsError)
{
    R record;
    Load(record, 300, RiseAt(150));
    EXPECT_EQ(Reduce(record, 19).outcome, Outcome::NotAsked);
    EXPECT_EQ(Reduce(record, 0).outcome, Outcome::NotAsked);
    EXPECT_EQ(Reduce(record, -5).outcome, Outcome::NotAsked);
    EXPECT_EQ(Reduce(record, 300).outcome, Outcome::TooMany);
    EXPECT_EQ(Reduce(record, 1000).outcome, Outcome::TooMany);
    EXPECT_EQ(Reduce(record, 299).outcome, Outcome::Reduced);
    R empty;
    EXPECT_EQ(Reduce(empty, 100).outcome, Outcome::TooMany);
}

TEST(PointReductionTest, TwentyOfTwentyOne_Reduces)
{
    R record;
    Load(record, 21, RiseAt(10));
    const Result result = Reduce(record, 20);
    ASSERT_EQ(result.outcome, Outcome::Reduced);
    std::vector<std::pair<int, int>> groups;
    AddGroups(groups, 3, 4, 1);
    AddGroups(groups, 6, 18, 3);
    EXPECT_EQ(Volumes(result.text), ExpectedVolumes(groups, 21));
}

TEST(PointReductionTest, DenseZonePastTheLastRow_FormsNoGroupBeyondIt)
{
    // N 1000, K 100: a 100, gs 2, gl 19, h 105; a rise at row 990 puts the dense zone at rows
    // 950 to 1049, half of it past the table.
    R record;
    Load(record, 1000, RiseAt(990));
    const Result result = Reduce(record, 100);
    ASSERT_EQ(result.outcome, Outcome::Reduced);
    std::vector<std::pair<int, int>> groups;
    AddGroups(groups, 19, 931, 19);
    AddGroups(groups, 950, 998, 2);
    EXPECT_EQ(Volumes(result.text), ExpectedVolumes(groups, 1000));
}

TEST(PointReductionTest, FitEndPoint_IsTheLeastSquaresLineAtEachEnd)
{
    const std::vector<Point> points = {{1, 0}, {3, 1}, {2, 2}, {5, 3}, {4, 4}};
    // m = (5 x 38 - 10 x 15) / (5 x 30 - 100) = 0,8; c = (15 - 8) / 5 = 1,4
    const Point first = FitEndPoint(points, 1, End::First);
    EXPECT_DOUBLE_EQ(first.pH, 1.4);
    EXPECT_EQ(first.volume, 0.0);
    const Point last = FitEndPoint(points, 1, End::Last);
    EXPECT_DOUBLE_EQ(last.pH, 4.6);
    EXPECT_EQ(last.volume, 4.0);
    const Point mean = GroupMean(points, 2, 3);
    EXPECT_DOUBLE_EQ(mean.pH, 10.0 / 3);
    EXPECT_DOUBLE_EQ(mean.volume, 2.0);
}

TEST(PointReductionTest, FitEndPoint_FiveEqualVolumesTakeTheMeanPh)
{
    const std::vector<Point> points = {{4, 0.002}, {5, 0.002}, {6, 0.002}, {8, 0.002}, {7, 0.002}};
    const Point first = FitEndPoint(points, 1, End::First);
    EXPECT_DOUBLE_EQ(first.pH, 6.0);
    EXPECT_EQ(first.volume, 0.0);
    const Point last = FitEndPoint(points, 1, End::Last);
    EXPECT_DOUBLE_EQ(last.pH, 6.0);
    EXPECT_EQ(last.volume, 0.002);
}

TEST(PointReductionTest, UnreadableCell_ThrowsTheConversionError)
{
    R record;
    Load(record, 300, RiseAt(150));
    record.SetCell(R::ColVolume, 42, QStringLiteral("0.004200"));
    EXPECT_THROW(Reduce(record, 100), ConvertError);
}

}  // namespace
