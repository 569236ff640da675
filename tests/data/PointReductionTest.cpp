#include "data/ConvertError.h"
#include "data/MeasurementRecord.h"
#include "data/MeasurementTextIo.h"
#include "data/NumberText.h"
#include "data/PointReduction.h"

#include <gtest/gtest.h>

namespace {

using R = MeasurementRecord;
using namespace PointReduction;

constexpr double kStepL = 0.0001;  // V(r) = r x 0.1 mL

// N points rising by 10 pH/L, with a jump of 6 after row `rise` (none when 0: then falling).
void Load(R& record, int n, int rise)
{
    QString text;
    for (int r = 1; r <= n; ++r) {
        const double pH = rise > 0 ? 3.0 + 0.001 * r + (r > rise ? 6.0 : 0.0) : 12.0 - 0.01 * r;
        text += NumberText::Fixed(pH, 4, 3) + QLatin1Char('\t') + NumberText::Fixed(r * kStepL, 6, 6) + QLatin1Char('\r');
    }
    MeasurementTextIo::FillTableFromText(record, text);
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

struct Zone {
    int first, last, size;  // groups of `size` rows starting at first, first + size … last
};

TEST(PointReductionTest, Reduce_FormsTheStatedGroupsBetweenTheTwoFittedEnds)
{
    struct Case {
        int n, k, rise, lines;
        std::vector<Zone> zones;
    };
    const Case cases[] = {
        {300, 100, 150, 76, {{6, 120, 6}, {126, 155, 1}, {156, 294, 6}}},  // the worked example
        {300, 100, 0, 61, {{1, 11, 1}, {12, 294, 6}}},                      // falling curve
        {300, 200, 150, 121, {{3, 75, 3}, {78, 107, 1}, {108, 297, 3}}},
        {21, 20, 10, 9, {{3, 4, 1}, {6, 18, 3}}},
        // N 1000, K 100: the dense zone (rows 950 to 1049) reaches past the table; groups stop.
        {1000, 100, 990, 76, {{19, 931, 19}, {950, 998, 2}}},
    };
    for (const auto& c : cases) {
        R record;
        Load(record, c.n, c.rise);
        const Result result = Reduce(record, c.k);
        SCOPED_TRACE(testing::Message() << "N " << c.n << " K " << c.k << " rise " << c.rise);
        ASSERT_EQ(result.outcome, Outcome::Reduced);
        EXPECT_EQ(result.lineCount, c.lines);
        QStringList expected{QStringLiteral("0,000000")};
        for (const Zone& z : c.zones)
            for (int r = z.first; r <= z.last; r += z.size)
                expected << NumberText::Fixed((r + (z.size - 1) / 2.0) * kStepL, 6, 6);
        expected << NumberText::Fixed(c.n * kStepL, 6, 6);
        EXPECT_EQ(Volumes(result.text), expected);
        EXPECT_EQ(record.PointCount(), c.n);  // the table is only read
    }
}

TEST(PointReductionTest, WorkedExample_EndsLieOnTheFittedLinesAndTheZonesAreAsStated)
{
    R record;
    Load(record, 300, 150);
    EXPECT_EQ(SteepestRise(ReadPoints(record)), 150);
    const Result result = Reduce(record, 100);
    // 3 + 10 V through rows 1 to 5, 9 + 10 V through rows 296 to 300.
    EXPECT_TRUE(result.text.startsWith(QStringLiteral("3,000\t0,000000\r")));
    EXPECT_TRUE(result.text.endsWith(QStringLiteral("9,300\t0,030000\r\r\r\r")));
    const std::optional<Plan> p = MakePlan(300, 100, 150);
    ASSERT_TRUE(p);
    EXPECT_EQ((std::vector<std::int64_t>{p->a, p->b, p->gs, p->gl, p->w, p->d, p->h, p->s1, p->s2}),
              (std::vector<std::int64_t>{30, 50, 1, 6, 300, 5, 60, 126, 156}));
    EXPECT_EQ(MakePlan(300, 100, 1)->s1, -18);
}

TEST(PointReductionTest, SteepestRise_SkipsEqualVolumesAndKeepsTheFirstOfEqualRises)
{
    EXPECT_EQ(SteepestRise({{1, 0}, {5, 0}, {2, 0.001}, {3, 0.002}, {4, 0.003}}), 3);
    EXPECT_EQ(SteepestRise({{9, 0}, {8, 0.001}, {7, 0.002}}), 1);
}

TEST(PointReductionTest, RequestedCount_OutsideTheWorkingRangeDoesNothingOrReportsError)
{
    R record;
    Load(record, 300, 150);
    EXPECT_EQ(Reduce(record, 19).outcome, Outcome::NotAsked);
    EXPECT_EQ(Reduce(record, 0).outcome, Outcome::NotAsked);
    EXPECT_EQ(Reduce(record, 300).outcome, Outcome::TooMany);
    EXPECT_EQ(Reduce(record, 299).outcome, Outcome::Reduced);
    EXPECT_EQ(Reduce(R(), 100).outcome, Outcome::TooMany);
    record.SetCell(R::ColVolume, 42, QStringLiteral("0.004200"));
    EXPECT_THROW(Reduce(record, 100), ConvertError);
}

TEST(PointReductionTest, FitEndPointAndGroupMean)
{
    // m = (5 x 38 - 10 x 15) / (5 x 30 - 100) = 0,8; c = (15 - 8) / 5 = 1,4
    const std::vector<Point> line = {{1, 0}, {3, 1}, {2, 2}, {5, 3}, {4, 4}};
    EXPECT_DOUBLE_EQ(FitEndPoint(line, 1, End::First).pH, 1.4);
    EXPECT_EQ(FitEndPoint(line, 1, End::First).volume, 0.0);
    EXPECT_DOUBLE_EQ(FitEndPoint(line, 1, End::Last).pH, 4.6);
    EXPECT_EQ(FitEndPoint(line, 1, End::Last).volume, 4.0);
    EXPECT_DOUBLE_EQ(GroupMean(line, 2, 3).pH, 10.0 / 3);
    EXPECT_DOUBLE_EQ(GroupMean(line, 2, 3).volume, 2.0);
    // Five equal volumes have no slope: the mean pH.
    const std::vector<Point> equal = {{4, 0.002}, {5, 0.002}, {6, 0.002}, {8, 0.002}, {7, 0.002}};
    EXPECT_DOUBLE_EQ(FitEndPoint(equal, 1, End::First).pH, 6.0);
    EXPECT_DOUBLE_EQ(FitEndPoint(equal, 1, End::Last).pH, 6.0);
    EXPECT_EQ(FitEndPoint(equal, 1, End::Last).volume, 0.002);
}

}  // namespace
