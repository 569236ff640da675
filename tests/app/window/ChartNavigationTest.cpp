// Reading, zooming and panning Chart1 in the main window at its designed size.
#include "analysis/AnalysisCommands.h"
#include "data/MeasurementRecord.h"
#include "data/MeasurementTextIo.h"
#include "data/NumberText.h"
#include "TestEnvironment.h"
#include "TestWindow.h"
#include "window/RecordChart.h"

#include <QAction>
#include <QGraphicsTextItem>
#include <QCursor>
#include <QPushButton>
#include <QChart>
#include <QGraphicsLineItem>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QTest>
#include <QValueAxis>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Titles are laid out as rich text, which the chart cuts with "..." beyond the room it has.
qreal TitleWidth(const QFont& font, const QString& text)
{
    QGraphicsTextItem item;
    item.setFont(font);
    item.setHtml(text);
    return item.boundingRect().width();
}

class ChartNavigationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestEnvironment::ClearSettings();
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        chart = window.Chart1;
        // An axis animation still running when the window goes leaks inside the chart library.
        chart->chart()->setAnimationOptions(QChart::NoAnimation);
    }
    void TearDown() override { TestEnvironment::ClearSettings(); }

    // Opens a curve as a file would: `points` points over 20 mL (at most 20 000: the cells
    // hold microlitres), the jump at 10 mL.
    void Curve(int points)
    {
        QString text;
        for (int r = 0; r < points; ++r) {
            const double volumeL = 0.020 * r / points;
            text += NumberText::Fixed(7 + 4 * std::tanh((volumeL - 0.010) * 2000), 4, 3) + QLatin1Char('\t')
                + NumberText::Fixed(volumeL, 6, 6) + QLatin1Char('\r');
        }
        MeasurementTextIo::FillTableFromText(window.Record(), text + QStringLiteral("\r\r\r"));
        window.Record().RebuildChart();
        window.Record().SetChartTitles(false);
        QTest::qWait(60);  // the layout settles, a redraw interval passes
    }

    // Where Qt Charts itself puts a value, in the viewport's pixels.
    QPointF PixelOf(QPointF value) const
    {
        const QPointF inChart = chart->chart()->mapToPosition(value, chart->Series1());
        return chart->viewportTransform().map(chart->chart()->mapToScene(inChart));
    }
    QPointF ValueAt(QPointF pixel) const
    {
        const QPointF inScene = chart->viewportTransform().inverted().map(pixel);
        return chart->chart()->mapToValue(chart->chart()->mapFromScene(inScene), chart->Series1());
    }

    void Send(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons buttons,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QMouseEvent event(type, at, chart->viewport()->mapToGlobal(at), button, buttons, modifiers);
        QApplication::sendEvent(chart->viewport(), &event);
    }
    void Wheel(QPointF at, int notches)
    {
        QWheelEvent event(at, chart->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(chart->viewport(), &event);
    }
    ChartViewport::Range XRange() const { return {chart->BottomAxis()->min(), chart->BottomAxis()->max()}; }

    TestWindow window;
    RecordChart* chart = nullptr;
};

TEST_F(ChartNavigationTest, ReadoutGivesThePointUnderTheCursorOrTheValuesThereInAPermanentLabel)
{
    Curve(40);  // a point every 0,5 mL
    struct Case {
        QPointF value;   // where the pointer is, in mL and pH
        QPointF offset;  // pixels from there
        const char* expected;
    };
    const Case cases[] = {
        {{10.0, 7.0}, {1, -2}, "Point : V = 10,000 mL ; pH = 7,000"},
        {{12.5, 11.0}, {1, 1}, "Point : V = 12,500 mL ; pH = 11,000"},
        {{0.0, 3.0}, {1, 1}, "Point : V = 0,000 mL ; pH = 3,000"},
    };
    for (const Case& c : cases) {
        const QPointF at = PixelOf(c.value) + c.offset;
        EXPECT_EQ(chart->ReadoutAt(at), QString::fromUtf8(c.expected)) << c.expected;
    }
    // Away from the points: the values under the pointer, to the resolution of a pixel.
    const QPointF empty = PixelOf({5.0, 12.0});
    static const QRegularExpression pattern(QStringLiteral("^V = (\\d+,\\d+) mL ; pH = (\\d+,\\d+)$"));
    const QRegularExpressionMatch match = pattern.match(chart->ReadoutAt(empty));
    ASSERT_TRUE(match.hasMatch()) << chart->ReadoutAt(empty).toStdString();
    const QPointF expected = ValueAt(empty);
    const ChartViewport view = chart->Viewport();
    EXPECT_NEAR(NumberText::Parse(match.captured(1)), expected.x(), view.XPerPixel());
    EXPECT_NEAR(NumberText::Parse(match.captured(2)), expected.y(), view.YPerPixel());
    EXPECT_EQ(chart->ReadoutAt(QPointF(1, 1)), QString());  // outside the plot

    // Moving the mouse shows it at the right of the status bar without erasing the message.
    window.SetStatusText(QStringLiteral("Acide fort"));
    Send(QEvent::MouseMove, PixelOf({10.0, 7.0}), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(window.LabelLecture->text(), QStringLiteral("Point : V = 10,000 mL ; pH = 7,000"));
    EXPECT_EQ(window.StatusText(), QStringLiteral("Acide fort"));

    // The crosshair follows the pointer once "Réticule" is checked.
    QAction* reticule = window.findChild<QAction*>(QStringLiteral("Reticule1"));
    ASSERT_NE(reticule, nullptr);
    EXPECT_TRUE(reticule->isCheckable());
    const auto crosshairShown = [this] {
        int shown = 0;
        for (QGraphicsItem* item : chart->chart()->childItems())
            shown += item->type() == QGraphicsLineItem::Type && item->isVisible() ? 1 : 0;
        return shown;
    };
    EXPECT_EQ(crosshairShown(), 0);
    reticule->trigger();
    Send(QEvent::MouseMove, PixelOf({5.0, 12.0}), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(crosshairShown(), 2);

    // In time mode the readout gives the time of the sample, 1,5 s apart.
    window.Record().ResetRecord();
    window.Record().SetChartTitles(true);
    for (int i = 0; i < 10; ++i)
        window.Record().AppendSample(4.0 + i * 0.5);
    chart->FlushPending();
    QTest::qWait(20);
    EXPECT_EQ(chart->ReadoutAt(PixelOf({4.0, 6.0})), QStringLiteral("Point : t = 6 s ; pH = 6,000"));
}

TEST_F(ChartNavigationTest, WheelZoomsAroundThePointerPanFollowsTheDragAndTheWholeCurveComesBack)
{
    Curve(400);
    const ChartViewport::Range whole = XRange();
    const QPointF jump(10.0, 7.0);
    const QPointF at = PixelOf(jump);
    Wheel(at, 2);
    EXPECT_TRUE(chart->Zoomed());
    EXPECT_NEAR(XRange().Span(), whole.Span() * RecordChart::kWheelZoomFactor * RecordChart::kWheelZoomFactor, 1e-9);
    EXPECT_NEAR(PixelOf(jump).x(), at.x(), 1.0);
    EXPECT_NEAR(PixelOf(jump).y(), at.y(), 1.0);

    // Ctrl and the left button, then the middle button: the curve moves with the pointer.
    for (const auto& [button, modifiers] : {std::pair{Qt::LeftButton, Qt::KeyboardModifiers(Qt::ControlModifier)},
                                            std::pair{Qt::MiddleButton, Qt::KeyboardModifiers(Qt::NoModifier)}}) {
        const QPointF from = PixelOf(jump);
        Send(QEvent::MouseButtonPress, from, button, button, modifiers);
        Send(QEvent::MouseMove, from + QPointF(30, -20), Qt::NoButton, button, modifiers);
        Send(QEvent::MouseButtonRelease, from + QPointF(30, -20), button, Qt::NoButton, modifiers);
        EXPECT_NEAR(PixelOf(jump).x(), from.x() + 30, 1.0);
        EXPECT_NEAR(PixelOf(jump).y(), from.y() - 20, 1.0);
    }

    // Each way back to the whole curve.
    QAction* vueComplete = window.findChild<QAction*>(QStringLiteral("Vuecomplete1"));
    ASSERT_NE(vueComplete, nullptr);
    EXPECT_EQ(vueComplete->text(), QStringLiteral("Vue &complète"));
    const std::function<void()> ways[] = {
        [&] { vueComplete->trigger(); },
        [&] { Send(QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton); },
        [&] {
            // Home with the pointer on the chart; the focus stays on the measure button.
            QCursor::setPos(chart->mapToGlobal(chart->rect().center()));
            window.Button2->setFocus();
            QTest::keyClick(window.Button2, Qt::Key_Home);
            EXPECT_TRUE(window.Button2->hasFocus());
        },
        [&] { Wheel(at, -30); },  // out past the whole curve
    };
    for (const auto& back : ways) {
        Wheel(at, 3);
        ASSERT_TRUE(chart->Zoomed());
        back();
        EXPECT_FALSE(chart->Zoomed());
        EXPECT_DOUBLE_EQ(XRange().low, whole.low);
        EXPECT_DOUBLE_EQ(XRange().high, whole.high);
        EXPECT_DOUBLE_EQ(chart->LeftAxis()->min(), 0);
        EXPECT_DOUBLE_EQ(chart->LeftAxis()->max(), 14);
    }
}

TEST_F(ChartNavigationTest, ARunIsFollowedUnlessTheUserHasZoomed)
{
    MeasurementRecord& r = window.Record();
    r.ResetRecord();
    r.SetChartTitles(true);
    const auto append = [&](int n) {
        for (int i = 0; i < n; ++i)
            r.AppendSample(7.0);
        chart->FlushPending();
    };
    append(20);
    EXPECT_GE(XRange().high, 19);
    chart->ZoomAround(chart->Viewport().PlotArea().center(), 0.5);
    const ChartViewport::Range zoomed = XRange();
    append(40);
    EXPECT_DOUBLE_EQ(XRange().low, zoomed.low);
    EXPECT_DOUBLE_EQ(XRange().high, zoomed.high);
    chart->ShowWholeCurve();
    EXPECT_GE(XRange().high, 59);
    append(40);
    EXPECT_GE(XRange().high, 99);
}

TEST_F(ChartNavigationTest, ManyPointsAreThinnedForEachViewAndTheDerivativeFollowsTheZoom)
{
    Curve(20'000);
    const int width = static_cast<int>(chart->Viewport().PlotArea().width());
    EXPECT_LE(chart->Series1()->count(), 2 * width + 2);
    EXPECT_EQ(chart->Marks()->count(), 0);

    auto* analysis = window.findChild<AnalysisCommands*>();
    ASSERT_NE(analysis, nullptr);
    analysis->DeriveeClick(true);
    const double wholePeak = analysis->RightAxis()->max();
    // Its axis leaves the volume axis title room to show whole.
    QTest::qWait(20);
    const QValueAxis* bottom = chart->BottomAxis();
    EXPECT_LE(TitleWidth(bottom->titleFont(), bottom->titleText()),
              chart->chart()->plotArea().width());

    // Into the jump until the points in range can be told apart: every one is drawn, marked.
    const QPointF at = PixelOf({10.0, 7.0});
    for (int i = 0; i < 60 && chart->Marks()->count() == 0; ++i)
        Wheel(at, 1);
    const QList<QPointF>& all = chart->Points();
    const auto inRange = std::count_if(all.begin(), all.end(), [this](const QPointF& p) {
        return p.x() >= XRange().low && p.x() <= XRange().high;
    });
    ASSERT_GT(inRange, 0);
    EXPECT_EQ(chart->Series1()->count(), inRange + 2);
    EXPECT_EQ(chart->Marks()->count(), inRange + 2);

    // The derivative is drawn for the same volumes, its axis fitted to the slopes there.
    const QList<QPointF> slopes = analysis->DerivativeSeries()->points();
    ASSERT_FALSE(slopes.isEmpty());
    EXPECT_LE(slopes.size(), inRange + 3);
    double peak = 0;
    for (const QPointF& s : slopes)
        if (s.x() >= XRange().low && s.x() <= XRange().high)
            peak = std::max(peak, s.y());
    EXPECT_GE(analysis->RightAxis()->max(), peak);
    EXPECT_LE(analysis->RightAxis()->max(), wholePeak * 1.5);
    chart->ShowWholeCurve();
    EXPECT_LE(analysis->DerivativeSeries()->count(), 2 * width + 4);
}

}  // namespace
