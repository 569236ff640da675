#include "RecordChart.h"

#include "ChartDecimation.h"
#include "MeasurementRecord.h"

#include <QChart>
#include <QLineSeries>
#include <QLocale>
#include <QScatterSeries>
#include <QTimer>
#include <QValueAxis>

namespace {
const QColor kRunColour(255, 0, 0);
const QColor kVolumeColour(0, 255, 0);
}  // namespace

RecordChart::RecordChart(MeasurementRecord& record, QWidget* parent)
    : QChartView(parent)
    , record_(record)
    , chart_(new QChart)
    , series_(new QLineSeries(chart_))
    , marks_(new QScatterSeries(chart_))
    , axisX_(new QValueAxis(chart_))
    , axisY_(new QValueAxis(chart_))
    , redraw_(new QTimer(this))
{
    setObjectName(QStringLiteral("Chart1"));
    series_->setObjectName(QStringLiteral("Series1"));
    setChart(chart_);  // the view owns the chart from here on
    setRenderHint(QPainter::Antialiasing);
    setRubberBand(QChartView::RectangleRubberBand);

    chart_->setTitle(QStringLiteral(" "));
    chart_->legend()->hide();
    chart_->setBackgroundBrush(QColor(240, 240, 240));
    chart_->setPlotAreaBackgroundBrush(Qt::white);
    chart_->setPlotAreaBackgroundVisible(true);
    chart_->setAnimationOptions(QChart::GridAxisAnimations);
    // Axis numbers with ',' like every other number of the program.
    chart_->setLocale(QLocale(QLocale::French, QLocale::France));
    chart_->setLocalizeNumbers(true);

    series_->setPen(QPen(kRunColour, 1));
    marks_->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    marks_->setMarkerSize(4);
    marks_->setColor(QColor(192, 192, 192));
    marks_->setBorderColor(kRunColour);

    chart_->addSeries(series_);
    chart_->addSeries(marks_);
    axisY_->setRange(0, 14);
    axisY_->setTitleText(QStringLiteral("pH"));
    axisY_->setLabelFormat(QStringLiteral("%.0f"));
    axisY_->setTickCount(8);
    axisX_->setRange(0, 1);
    chart_->addAxis(axisX_, Qt::AlignBottom);
    chart_->addAxis(axisY_, Qt::AlignLeft);
    for (QXYSeries* s : {static_cast<QXYSeries*>(series_), static_cast<QXYSeries*>(marks_)}) {
        s->attachAxis(axisX_);
        s->attachAxis(axisY_);
    }

    redraw_->setSingleShot(true);
    redraw_->setInterval(kRedrawIntervalMs);
    connect(redraw_, &QTimer::timeout, this, &RecordChart::FlushPending);
    connect(&record_, &MeasurementRecord::RecordReset, this, &RecordChart::OnRecordReset);
    connect(&record_, &MeasurementRecord::SampleAppended, this, &RecordChart::OnSampleAppended);
    connect(&record_, &MeasurementRecord::ChartTitlesChanged, this, &RecordChart::OnTitlesChanged);
    connect(&record_, &MeasurementRecord::ChartRebuilt, this, &RecordChart::OnChartRebuilt);
}

QString RecordChart::TitleText() const
{
    return chart_->title();
}

QColor RecordChart::PointColour() const
{
    return marks_->borderColor();
}

void RecordChart::OnRecordReset()
{
    pending_.clear();
    redraw_->stop();
    Show({}, kRunColour);
}

void RecordChart::OnSampleAppended(int, double pH)
{
    // In time mode X is the ordinal of the point in the series, whatever the period.
    pending_.append(QPointF(static_cast<double>(series_->count() + pending_.size()), pH));
    if (!redraw_->isActive())
        redraw_->start();
}

void RecordChart::FlushPending()
{
    redraw_->stop();
    if (pending_.isEmpty())
        return;
    QList<QPointF> points = series_->points();
    points.append(pending_);
    pending_.clear();
    Show(points, kRunColour);
}

void RecordChart::OnTitlesChanged(bool timeMode)
{
    if (timeMode) {
        chart_->setTitle(QStringLiteral("pH, fonction de la date t"));
        axisX_->setTitleText(QStringLiteral("Date t en secondes"));
    } else {
        chart_->setTitle(QStringLiteral("pH, fonction du volume v de réactif versé"));
        axisX_->setTitleText(QStringLiteral("Volume v de réactif versé, en millilitres"));
    }
    chart_->update();
}

void RecordChart::OnChartRebuilt(const QList<QPointF>& points)
{
    pending_.clear();
    redraw_->stop();
    const int columns = std::max(100, static_cast<int>(chart_->plotArea().width()));
    Show(points.size() > kThinAbove ? ChartDecimation::MinMaxPerColumn(points, columns) : points, kVolumeColour);
}

void RecordChart::Show(const QList<QPointF>& points, const QColor& colour)
{
    // replace() assigns once; append() would rebuild the path for every point.
    series_->replace(points);
    marks_->replace(points);
    marks_->setBorderColor(colour);
    FitBottomAxis(points);
}

void RecordChart::FitBottomAxis(const QList<QPointF>& points)
{
    if (points.isEmpty()) {
        axisX_->setRange(0, 1);
        return;
    }
    double low = points.front().x();
    double high = low;
    for (const QPointF& p : points) {
        low = std::min(low, p.x());
        high = std::max(high, p.x());
    }
    if (high - low < 1e-9)
        high = low + 1;
    axisX_->setRange(low, high);
    axisX_->applyNiceNumbers();
}
