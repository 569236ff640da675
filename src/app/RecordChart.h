#pragma once

#include <QChartView>
#include <QList>
#include <QPointF>

class QChart;
class QLineSeries;
class QScatterSeries;
class QTimer;
class QValueAxis;
class MeasurementRecord;

// Chart1: the chart of the main window, a view of the record. Series1 is the red line; the
// point marks are a second series so that their colour (red while running, lime green in
// volume mode) is set once for all points. Appended samples are drawn at most 25 times a second.
class RecordChart : public QChartView {
    Q_OBJECT

public:
    static constexpr int kRedrawIntervalMs = 40;
    // Above this many points the drawn series is thinned to min/max per pixel column.
    static constexpr int kThinAbove = 20000;

    explicit RecordChart(MeasurementRecord& record, QWidget* parent = nullptr);

    QLineSeries* Series1() const { return series_; }
    QScatterSeries* Marks() const { return marks_; }
    QValueAxis* BottomAxis() const { return axisX_; }
    QValueAxis* LeftAxis() const { return axisY_; }
    QString TitleText() const;
    QColor PointColour() const;
    // Draws what is pending at once (a redraw is otherwise at most kRedrawIntervalMs away).
    void FlushPending();

private:
    void OnRecordReset();
    void OnSampleAppended(int row, double pH);
    void OnTitlesChanged(bool timeMode);
    void OnChartRebuilt(const QList<QPointF>& points);
    void Show(const QList<QPointF>& points, const QColor& colour);
    void FitBottomAxis(const QList<QPointF>& points);

    MeasurementRecord& record_;
    QChart* chart_;
    QLineSeries* series_;
    QScatterSeries* marks_;
    QValueAxis* axisX_;
    QValueAxis* axisY_;
    QTimer* redraw_;
    QList<QPointF> pending_;
};
