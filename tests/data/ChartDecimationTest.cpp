#include "data/ChartDecimation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

TEST(ChartDecimationTest, FewPointsComeBackUnchanged)
{
    const QList<QPointF> points{{0, 1}, {1, 2}, {2, 3}};
    EXPECT_EQ(ChartDecimation::MinMaxPerColumn(points, 10), points);
}

TEST(ChartDecimationTest, ManyPointsKeepEveryColumnsExtremesInOrder)
{
    QList<QPointF> points;
    for (int i = 0; i < 100000; ++i)
        points.append(QPointF(i * 0.001, 7 + 6 * std::sin(i * 0.37)));
    const QList<QPointF> thin = ChartDecimation::MinMaxPerColumn(points, 200);
    EXPECT_LE(thin.size(), 800);
    EXPECT_GE(thin.size(), 400);
    EXPECT_TRUE(std::is_sorted(thin.begin(), thin.end(), [](auto a, auto b) { return a.x() < b.x(); }));
    EXPECT_EQ(thin.front(), points.front());
    EXPECT_EQ(thin.back(), points.back());
    const auto [lo, hi] = std::minmax_element(points.begin(), points.end(), [](auto a, auto b) { return a.y() < b.y(); });
    EXPECT_TRUE(thin.contains(*lo));
    EXPECT_TRUE(thin.contains(*hi));
}

TEST(ChartDecimationTest, ForViewThinsByTheVisiblePointsAndShowsMarksOnlyApart)
{
    // A million points over 20 mL.
    QList<QPointF> points;
    const int n = 1'000'000;
    points.reserve(n);
    for (int i = 0; i < n; ++i)
        points.append(QPointF(20.0 * i / n, 7 + 6 * std::tanh((20.0 * i / n - 10) * 5)));
    struct Case {
        double low;
        double high;
        qsizetype visible;
        bool thinned;
        bool marks;
    };
    const Case cases[] = {
        {0, 20, n, true, false},         // the whole curve
        {9.99 - 1e-6, 10.01 + 1e-6, 1001, true, false},      // still over two points a pixel
        {9.999 - 1e-6, 10.001 + 1e-6, 101, false, false},    // every point, too close for marks
        {9.9995 - 1e-6, 10.0005 + 1e-6, 51, false, true},    // every point, with marks
    };
    for (const Case& c : cases) {
        const ChartDecimation::View view = ChartDecimation::ForView(points, c.low, c.high, 300);
        SCOPED_TRACE(c.low);
        EXPECT_EQ(view.visible, c.visible);
        EXPECT_EQ(view.marks, c.marks);
        if (c.thinned) {
            EXPECT_LE(view.points.size(), 2 * 300 + 4);
        } else {
            // Every point in range and one on each side, so the line runs to the edges.
            EXPECT_EQ(view.points.size(), c.visible + 2);
            EXPECT_LT(view.points.front().x(), c.low);
            EXPECT_GT(view.points.back().x(), c.high);
        }
    }
}

}  // namespace
