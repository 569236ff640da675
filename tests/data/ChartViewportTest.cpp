#include "data/ChartViewport.h"

#include <gtest/gtest.h>

namespace {

// A plot of 400 x 280 pixels at (50, 20) showing 0 to 20 mL and pH 0 to 14: 20 pixels per mL
// and per pH.
const ChartViewport kView(QRectF(50, 20, 400, 280), {0, 20}, {0, 14});

TEST(ChartViewportTest, MapsPixelsToValuesAndBack)
{
    struct Case {
        QPointF pixel;
        QPointF value;
    };
    const Case cases[] = {
        {{50, 300}, {0, 0}},     // bottom left corner
        {{450, 20}, {20, 14}},   // top right corner
        {{250, 160}, {10, 7}},   // centre
        {{70, 280}, {1, 1}},
    };
    for (const Case& c : cases) {
        const QPointF value = kView.ValueAt(c.pixel);
        EXPECT_NEAR(value.x(), c.value.x(), 1e-12);
        EXPECT_NEAR(value.y(), c.value.y(), 1e-12);
        const QPointF pixel = kView.PixelOf(c.value);
        EXPECT_NEAR(pixel.x(), c.pixel.x(), 1e-9);
        EXPECT_NEAR(pixel.y(), c.pixel.y(), 1e-9);
    }
}

TEST(ChartViewportTest, ZoomKeepsTheValueUnderThePointerAndPanFollowsIt)
{
    for (const QPointF pointer : {QPointF(250, 160), QPointF(60, 290), QPointF(440, 30)}) {
        for (const double factor : {0.5, 0.8, 2.0}) {
            const ChartViewport zoomed = kView.ZoomedAround(pointer, factor);
            EXPECT_NEAR(zoomed.X().Span(), 20 * factor, 1e-9);
            EXPECT_NEAR(zoomed.Y().Span(), 14 * factor, 1e-9);
            const QPointF before = kView.ValueAt(pointer);
            const QPointF after = zoomed.ValueAt(pointer);
            EXPECT_NEAR(after.x(), before.x(), 1e-9);
            EXPECT_NEAR(after.y(), before.y(), 1e-9);
        }
    }
    // Dragging 40 pixels right and 20 down brings in 2 mL from the left and 1 pH from above.
    const ChartViewport panned = kView.PannedBy(QPointF(40, 20));
    EXPECT_NEAR(panned.X().low, -2, 1e-12);
    EXPECT_NEAR(panned.X().high, 18, 1e-12);
    EXPECT_NEAR(panned.Y().low, 1, 1e-12);
    EXPECT_NEAR(panned.Y().high, 15, 1e-12);
    // Zooming in without end stops at the smallest span.
    ChartViewport deep = kView;
    for (int i = 0; i < 200; ++i)
        deep = deep.ZoomedAround(QPointF(250, 160), 0.5);
    EXPECT_GE(deep.X().Span(), ChartViewport::kMinimumSpan);
    EXPECT_LT(deep.X().low, 10.0 + 1e-6);
    EXPECT_GT(deep.X().high, 10.0 - 1e-6);
}

TEST(ChartViewportTest, NearestPointIsTheClosestWithinTheRadius)
{
    // 10 mL and pH 7 is the centre pixel (250, 160).
    const QList<QPointF> points{{9.5, 7.0}, {9.9, 4.0}, {10.0, 7.2}, {10.1, 10.0}, {12.0, 7.0}};
    struct Case {
        QPointF pixel;
        double radius;
        qsizetype expected;
    };
    const Case cases[] = {
        {{250, 160}, 5, 2},   // (10; 7,2) is 4 pixels above
        {{250, 160}, 3, -1},  // ... and not within 3
        {{240, 160}, 5, 0},   // (9,5; 7) exactly under the pointer
        {{248, 220}, 5, 1},   // (9,9; 4) on the lower branch, not its neighbour in X
        {{290, 160}, 5, 4},
        {{350, 160}, 5, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kView.NearestPoint(points, c.pixel, c.radius), c.expected) << c.pixel.x() << "," << c.pixel.y();
    EXPECT_EQ(kView.NearestPoint({}, {250, 160}, 5), -1);
}

TEST(ChartViewportTest, DecimalsFollowTheValueOfOnePixel)
{
    const std::pair<double, int> cases[] = {{0.05, 2}, {0.5, 1}, {2.0, 0}, {0.002, 3}, {1e-7, 4}, {0.0, 0}};
    for (const auto& [perPixel, decimals] : cases)
        EXPECT_EQ(ChartViewport::DecimalsFor(perPixel), decimals) << perPixel;
}

}  // namespace
