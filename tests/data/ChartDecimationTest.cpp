#include "ChartDecimation.h"

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

}  // namespace
