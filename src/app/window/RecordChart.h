#pragma once

#include "data/ChartViewport.h"
#include "data/MeasuredQuantity.h"

#include <QChartView>
#include <QList>
#include <QPointF>

#include <functional>
#include <optional>

class QChart;
class QGraphicsLineItem;
class QLineSeries;
class QScatterSeries;
class QTimer;
class QValueAxis;
class MeasurementRecord;

// Chart1: the chart of the main window, a view of the record. Series1 is the red line; the
// point marks are a second series so that their colour (red while running, lime green in
// volume mode) is set once for all points. Appended samples are drawn at most 25 times a second.
//
// It keeps the points it was handed (volume mode) or fed (time mode), sorted by X, and draws
// only what the visible range needs: thinned to the lowest and highest point of each pixel
// column when they are many, with marks only when they can be told apart, drawn again on every
// zoom and pan. The wheel zooms around the pointer, the middle button (or Ctrl and the left
// button) pans, the rubber band zooms to a rectangle; a double click, Home with the pointer on
// the chart, or ShowWholeCurve return to the whole curve, which a run then follows again.
class RecordChart : public QChartView {
    Q_OBJECT

public:
    static constexpr int kRedrawIntervalMs = 40;
    // A record point within this many pixels of the pointer is the one the readout shows.
    static constexpr double kPointRadiusPx = 5.0;
    // One notch of the wheel shows this share of the range.
    static constexpr double kWheelZoomFactor = 0.8;

    explicit RecordChart(MeasurementRecord& record, QWidget* parent = nullptr);

    QLineSeries* Series1() const { return series_; }
    QScatterSeries* Marks() const { return marks_; }
    QValueAxis* BottomAxis() const { return axisX_; }
    QValueAxis* LeftAxis() const { return axisY_; }
    QString TitleText() const;
    QColor PointColour() const;
    // Draws what is pending at once (a redraw is otherwise at most kRedrawIntervalMs away).
    void FlushPending();
    // The legend of `chart` lists its named series only, and shows only when there is one.
    static void TidyLegend(QChart* chart);

    // Every point handed to the chart, sorted by X (not only those drawn).
    const QList<QPointF>& Points() const { return points_; }
    // The plot area in the view's pixels and the axes' ranges.
    ChartViewport Viewport() const;
    // True from a zoom or pan of the user until the whole curve is shown again.
    bool Zoomed() const { return zoomed_; }
    // What the status bar shows for the pointer at `pixel` (view coordinates): the values
    // under it, or those of the record point within kPointRadiusPx; empty outside the plot.
    QString ReadoutAt(QPointF pixel) const;
    // `sortedByX` as another series drawn against this chart's X axis should show it now.
    QList<QPointF> ThinnedForView(const QList<QPointF>& sortedByX) const;
    // The X range of the other curves shown with the record, which the whole curve takes in
    // besides the record's points; nothing when none is shown.
    using OtherCurvesRange = std::function<std::optional<ChartViewport::Range>()>;
    void SetOtherCurvesRange(OtherCurvesRange range) { otherCurvesRange_ = std::move(range); }

    // What the points measure: the axis title, the chart's title, the readout and the whole
    // curve's range (pH 0 to 14; a conductivity from 0 to a round value above its highest).
    void SetQuantity(MeasuredQuantity quantity);
    MeasuredQuantity Quantity() const { return quantity_; }

    void ZoomAround(QPointF pixel, double factor);
    void PanBy(QPointF pixelDelta);

public slots:
    // "Vue complète": the whole curve (pH 0 to 14); a run is followed again.
    void ShowWholeCurve();
    // "Réticule": lines through the pointer, or through the record point it is on.
    void SetCrosshair(bool shown);

signals:
    // The readout for the pointer, empty when it leaves the plot.
    void ReadoutChanged(const QString& text);
    // The visible X range changed (zoom, pan, whole curve, new points followed).
    void ViewChanged();

protected:
    // The one edge of the mouse and wheel handlers below: a failure ends there, in the error box.
    bool viewportEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void OnRecordReset();
    void OnSampleAppended(int row, double pH);
    void OnTitlesChanged(bool timeMode);
    void OnChartRebuilt(const QList<QPointF>& points);
    void Show(const QList<QPointF>& points, const QColor& colour);
    void FitAxes();
    // The X range of the whole curve: the record's points and the other curves shown.
    std::optional<ChartViewport::Range> WholeX() const;
    ChartViewport::Range WholeY() const;
    void ZoomedTicks();
    void SetView(const ChartViewport& view);
    void Redraw();
    int Columns() const;
    QPointF ChartPoint(QPointF viewPixel) const;
    void UpdatePointer(QPointF viewPixel);

    MeasurementRecord& record_;
    QChart* chart_;
    QLineSeries* series_;
    QScatterSeries* marks_;
    QValueAxis* axisX_;
    QValueAxis* axisY_;
    QTimer* redraw_;
    QList<QPointF> pending_;
    QList<QPointF> points_;
    bool zoomed_ = false;
    bool panning_ = false;
    QPointF panFrom_;
    bool crosshair_ = false;
    QGraphicsLineItem* crossX_;
    QGraphicsLineItem* crossY_;
    OtherCurvesRange otherCurvesRange_;
    MeasuredQuantity quantity_ = MeasuredQuantity::PH;
};
