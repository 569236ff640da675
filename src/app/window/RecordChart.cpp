#include "window/RecordChart.h"

#include "data/ChartDecimation.h"
#include "data/MeasurementRecord.h"
#include "data/NumberText.h"
#include "data/RunTiming.h"
#include "support/DesignFont.h"
#include "support/ErrorBox.h"

#include <QChart>
#include <QGraphicsLineItem>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QMouseEvent>
#include <QScatterSeries>
#include <QShortcut>
#include <QCursor>
#include <QTimer>
#include <QValueAxis>
#include <QWheelEvent>

#include <cmath>

namespace {
const QColor kRunColour(255, 0, 0);
const QColor kVolumeColour(0, 255, 0);
const QColor kCrosshairColour(90, 90, 90);
constexpr double kWholeLowPH = 0.0;
constexpr double kWholeHighPH = 14.0;
const QString kWholeLabelFormat = QStringLiteral("%.0f");
constexpr int kWholeTicksPH = 8;
// Labels such as "497,48" stay apart on the 220 pixels of the designed plot.
constexpr int kZoomedTicksVolume = 5;
// The designed window leaves the chart about 300 pixels and the plot under 200 once the
// derivative has its axis: at these sizes "Volume v de réactif versé, en millilitres" and the
// volume-mode title show whole.
constexpr int kChartTitlePoints = 9;
constexpr int kAxisTitlePoints = 7;
// At 7 points the designed font's substitute gives "i" and "l" 2 pixels each for stems of
// about 0.8 pixel. Glyphs are placed at fractions of a pixel and not snapped sideways, so a
// stem may straddle two columns at half grey, and "illi" then fills every column alike: a grey
// smear. A little more room between letters leaves a lighter column between stems wherever
// they fall.
constexpr double kAxisLetterSpacingPx = 0.4;

QFont TitleFont(int points, bool bold)
{
    QFont font = DesignFont(points);
    font.setBold(bold);
    return font;
}

QFont AxisFont()
{
    QFont font = TitleFont(kAxisTitlePoints, false);
    font.setLetterSpacing(QFont::AbsoluteSpacing, kAxisLetterSpacingPx);
    return font;
}
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
    , crossX_(new QGraphicsLineItem(chart_))
    , crossY_(new QGraphicsLineItem(chart_))
{
    setObjectName(QStringLiteral("Chart1"));
    series_->setObjectName(QStringLiteral("Series1"));
    setChart(chart_);  // the view owns the chart from here on
    setRenderHint(QPainter::Antialiasing);
    setRubberBand(QChartView::RectangleRubberBand);
    viewport()->setMouseTracking(true);
    // The keyboard belongs to the measure and calibrate buttons (Enter starts and stops a run
    // on the focused measure button): a click on the chart never takes the focus, and Home
    // acts while the pointer is over the chart.
    setFocusPolicy(Qt::NoFocus);
    auto* home = new QShortcut(QKeySequence(Qt::Key_Home), this, nullptr, nullptr, Qt::WindowShortcut);
    connect(home, &QShortcut::activated, this, Guarded([this] {
        if (rect().contains(mapFromGlobal(QCursor::pos())))
            ShowWholeCurve();
    }));

    chart_->setTitle(QStringLiteral(" "));
    chart_->legend()->hide();
    // About 300 pixels at the designed size: the plot takes what the default margins left.
    chart_->setMargins(QMargins(2, 4, 8, 2));
    chart_->setBackgroundBrush(QColor(240, 240, 240));
    chart_->setPlotAreaBackgroundBrush(Qt::white);
    chart_->setPlotAreaBackgroundVisible(true);
    chart_->setAnimationOptions(QChart::GridAxisAnimations);
    // Axis numbers with ',' like every other number of the program.
    // No thousands separator, as in every number the program writes.
    QLocale french(QLocale::French, QLocale::France);
    french.setNumberOptions(QLocale::OmitGroupSeparator);
    chart_->setLocale(french);
    chart_->setLocalizeNumbers(true);
    chart_->setTitleFont(TitleFont(kChartTitlePoints, true));
    const QFont axisFont = AxisFont();

    series_->setPen(QPen(kRunColour, 1));
    marks_->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    marks_->setMarkerSize(4);
    marks_->setColor(QColor(192, 192, 192));
    marks_->setBorderColor(kRunColour);

    chart_->addSeries(series_);
    chart_->addSeries(marks_);
    axisY_->setRange(kWholeLowPH, kWholeHighPH);
    axisY_->setTitleText(QStringLiteral("pH"));
    axisY_->setLabelFormat(kWholeLabelFormat);
    axisY_->setTickCount(kWholeTicksPH);
    axisX_->setRange(0, 1);
    for (QValueAxis* axis : {axisX_, axisY_}) {
        axis->setTitleFont(axisFont);
        axis->setLabelsFont(axisFont);
    }
    chart_->addAxis(axisX_, Qt::AlignBottom);
    chart_->addAxis(axisY_, Qt::AlignLeft);
    for (QXYSeries* s : {static_cast<QXYSeries*>(series_), static_cast<QXYSeries*>(marks_)}) {
        s->attachAxis(axisX_);
        s->attachAxis(axisY_);
    }

    for (QGraphicsLineItem* line : {crossX_, crossY_}) {
        line->setPen(QPen(kCrosshairColour, 1, Qt::DashLine));
        line->setZValue(100);
        line->hide();
    }

    redraw_->setSingleShot(true);
    redraw_->setInterval(kRedrawIntervalMs);
    connect(redraw_, &QTimer::timeout, this, Guarded(this, &RecordChart::FlushPending));
    // A new plot width changes how many points a column holds.
    connect(chart_, &QChart::plotAreaChanged, this, Guarded([this] {
        if (!redraw_->isActive())
            redraw_->start();
    }));
    connect(&record_, &MeasurementRecord::RecordReset, this, Guarded(this, &RecordChart::OnRecordReset));
    connect(&record_, &MeasurementRecord::SampleAppended, this, Guarded(this, &RecordChart::OnSampleAppended));
    connect(&record_, &MeasurementRecord::ChartTitlesChanged, this, Guarded(this, &RecordChart::OnTitlesChanged));
    connect(&record_, &MeasurementRecord::ChartRebuilt, this, Guarded(this, &RecordChart::OnChartRebuilt));
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
    zoomed_ = false;
    Show({}, kRunColour);
}

void RecordChart::OnSampleAppended(int, double pH)
{
    // In time mode X is the ordinal of the point in the series, whatever the period.
    pending_.append(QPointF(static_cast<double>(points_.size() + pending_.size()), pH));
    if (!redraw_->isActive())
        redraw_->start();
}

void RecordChart::FlushPending()
{
    redraw_->stop();
    if (pending_.isEmpty()) {
        Redraw();
        return;
    }
    points_.append(pending_);
    pending_.clear();
    // Following the run, unless the user has zoomed in on something.
    if (!zoomed_)
        FitAxes();
    Redraw();
}

void RecordChart::SetQuantity(MeasuredQuantity quantity)
{
    quantity_ = quantity;
    axisY_->setTitleText(MeasuredQuantities::IsConductivity(quantity)
                             ? QStringLiteral("Conductivité σ, en %1").arg(MeasuredQuantities::Unit(quantity))
                             : QStringLiteral("pH"));
    if (!chart_->title().trimmed().isEmpty())
        OnTitlesChanged(record_.TimeMode());
    if (!zoomed_) {
        FitAxes();
        Redraw();
    }
}

ChartViewport::Range RecordChart::WholeY() const
{
    if (!MeasuredQuantities::IsConductivity(quantity_))
        return {kWholeLowPH, kWholeHighPH};
    double high = 0.0;
    for (const QPointF& p : points_)
        high = std::max(high, p.y());
    // From 0, so that the break of slope reads against the origin, up to a round value.
    if (!(high > 0.0))
        return {0.0, 1.0};
    const double power = std::pow(10.0, std::floor(std::log10(high * 1.05)));
    for (double step : {1.0, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 6.0, 8.0, 10.0})
        if (step * power >= high * 1.05)
            return {0.0, step * power};
    return {0.0, 10.0 * power};
}

void RecordChart::OnTitlesChanged(bool timeMode)
{
    // The symbol for a conductivity: the designed chart has no width for a longer title.
    const QString name = MeasuredQuantities::IsConductivity(quantity_) ? QStringLiteral("σ") : QStringLiteral("pH");
    if (timeMode) {
        chart_->setTitle(QStringLiteral("%1, fonction de la date t").arg(name));
        axisX_->setTitleText(QStringLiteral("Date t en secondes"));
    } else {
        chart_->setTitle(QStringLiteral("%1, fonction du volume v de réactif versé").arg(name));
        axisX_->setTitleText(QStringLiteral("Volume v de réactif versé, en millilitres"));
    }
    chart_->update();
}

void RecordChart::OnChartRebuilt(const QList<QPointF>& points)
{
    pending_.clear();
    redraw_->stop();
    zoomed_ = false;
    Show(points, kVolumeColour);
}

void RecordChart::Show(const QList<QPointF>& points, const QColor& colour)
{
    points_ = points;
    marks_->setBorderColor(colour);
    FitAxes();
    Redraw();
}

std::optional<ChartViewport::Range> RecordChart::WholeX() const
{
    std::optional<ChartViewport::Range> whole;
    // Sorted by X: the ends are the range.
    if (!points_.isEmpty())
        whole = ChartViewport::Range{points_.front().x(), points_.back().x()};
    if (const auto others = otherCurvesRange_ ? otherCurvesRange_() : std::nullopt)
        whole = whole ? ChartViewport::Range{std::min(whole->low, others->low), std::max(whole->high, others->high)}
                      : *others;
    return whole;
}

void RecordChart::FitAxes()
{
    double low = 0.0;
    double high = 1.0;
    const std::optional<ChartViewport::Range> whole = WholeX();
    if (whole) {
        low = whole->low;
        high = whole->high;
        // One X value alone (the first sample of a run) gets a unit range, not one of 1e-9
        // whose labels would run into each other.
        if (!(high - low > 1e-9))
            high = low + 1;
    }
    axisX_->setRange(low, high);
    if (whole)
        axisX_->applyNiceNumbers();
    const ChartViewport::Range y = WholeY();
    axisY_->setRange(y.low, y.high);
    const bool pH = !MeasuredQuantities::IsConductivity(quantity_);
    axisY_->setLabelFormat(pH ? kWholeLabelFormat : QString());
    axisY_->setTickCount(pH ? kWholeTicksPH : 6);
}

void RecordChart::ZoomedTicks()
{
    // Whole pH units would label a zoom "6, 6, 7, 7": the axes then choose their decimals
    // from the tick spacing. (Ticks at round values would need dynamic ticks, which the
    // chart's axis animation does not survive.)
    axisX_->setTickCount(kZoomedTicksVolume);
    axisX_->setLabelFormat(QString());
    axisY_->setLabelFormat(QString());
}

int RecordChart::Columns() const
{
    return std::max(100, static_cast<int>(chart_->plotArea().width()));
}

QList<QPointF> RecordChart::ThinnedForView(const QList<QPointF>& sortedByX) const
{
    return ChartDecimation::ForView(sortedByX, axisX_->min(), axisX_->max(), Columns()).points;
}

void RecordChart::Redraw()
{
    const ChartDecimation::View view = ChartDecimation::ForView(points_, axisX_->min(), axisX_->max(), Columns());
    // replace() assigns once; append() would rebuild the path for every point.
    series_->replace(view.points);
    marks_->replace(view.marks ? view.points : QList<QPointF>());
    emit ViewChanged();
}

ChartViewport RecordChart::Viewport() const
{
    // In the viewport's pixels, where mouse and wheel events are.
    const QPointF origin = viewportTransform().map(chart_->mapToScene(QPointF()));
    return {chart_->plotArea().translated(origin), {axisX_->min(), axisX_->max()}, {axisY_->min(), axisY_->max()}};
}

void RecordChart::SetView(const ChartViewport& view)
{
    zoomed_ = true;
    axisX_->setRange(view.X().low, view.X().high);
    axisY_->setRange(view.Y().low, view.Y().high);
    ZoomedTicks();
    Redraw();
}

void RecordChart::ZoomAround(QPointF pixel, double factor)
{
    const ChartViewport zoomed = Viewport().ZoomedAround(pixel, factor);
    // Out as far as the whole curve or beyond: that is the whole curve, followed again.
    const std::optional<ChartViewport::Range> whole = WholeX();
    if (factor > 1.0 && whole && zoomed.X().Contains(*whole)
        && zoomed.Y().Contains(WholeY())) {
        ShowWholeCurve();
        return;
    }
    SetView(zoomed);
}

void RecordChart::PanBy(QPointF pixelDelta)
{
    SetView(Viewport().PannedBy(pixelDelta));
}

void RecordChart::ShowWholeCurve()
{
    zoomed_ = false;
    FitAxes();
    Redraw();
}

QString RecordChart::ReadoutAt(QPointF pixel) const
{
    const ChartViewport view = Viewport();
    if (!view.Contains(pixel))
        return {};
    const bool timeMode = record_.TimeMode();
    // In time mode X is the ordinal of the sample; the readout gives its time.
    const double toShown = timeMode ? RunTiming::kSamplePeriodS : 1.0;
    const QString symbol = MeasuredQuantities::IsConductivity(quantity_) ? QStringLiteral("σ") : QStringLiteral("pH");
    const QString unit = MeasuredQuantities::IsConductivity(quantity_)
        ? QLatin1Char(' ') + MeasuredQuantities::Unit(quantity_)
        : QString();
    const auto text = [timeMode, symbol, unit](const QString& x, const QString& y) {
        return (timeMode ? QStringLiteral("t = %1 s ; %3 = %2%4") : QStringLiteral("V = %1 mL ; %3 = %2%4"))
            .arg(x, y, symbol, unit);
    };
    const qsizetype near = view.NearestPoint(points_, pixel, kPointRadiusPx);
    if (near >= 0) {
        const QPointF p = points_[near];
        // As the cells hold them: pH to a thousandth, volumes to a microlitre.
        const QString x = timeMode ? NumberText::General(p.x() * toShown) : NumberText::Fixed(p.x(), 15, 3);
        return QStringLiteral("Point : ") + text(x, NumberText::Fixed(p.y(), 15, 3));
    }
    const QPointF at = view.ValueAt(pixel);
    return text(NumberText::Fixed(at.x() * toShown, 15, ChartViewport::DecimalsFor(view.XPerPixel() * toShown)),
                NumberText::Fixed(at.y(), 15, ChartViewport::DecimalsFor(view.YPerPixel())));
}

void RecordChart::SetCrosshair(bool shown)
{
    crosshair_ = shown;
    if (!shown) {
        crossX_->hide();
        crossY_->hide();
    }
}

QPointF RecordChart::ChartPoint(QPointF viewPixel) const
{
    return chart_->mapFromScene(viewportTransform().inverted().map(viewPixel));
}

void RecordChart::UpdatePointer(QPointF viewPixel)
{
    emit ReadoutChanged(ReadoutAt(viewPixel));
    if (!crosshair_)
        return;
    const ChartViewport view = Viewport();
    if (!view.Contains(viewPixel)) {
        crossX_->hide();
        crossY_->hide();
        return;
    }
    // Through the record point the readout names, else through the pointer.
    const qsizetype near = view.NearestPoint(points_, viewPixel, kPointRadiusPx);
    const QPointF at = ChartPoint(near >= 0 ? view.PixelOf(points_[near]) : viewPixel);
    const QRectF plot = chart_->plotArea();
    crossX_->setLine(plot.left(), at.y(), plot.right(), at.y());
    crossY_->setLine(at.x(), plot.top(), at.x(), plot.bottom());
    crossX_->show();
    crossY_->show();
}

bool RecordChart::viewportEvent(QEvent* event)
{
    return ErrorBox::Guard([&] { return QChartView::viewportEvent(event); });
}

void RecordChart::wheelEvent(QWheelEvent* event)
{
    const QPointF at = event->position();
    if (!Viewport().Contains(at) || event->angleDelta().y() == 0) {
        event->ignore();
        return;
    }
    ZoomAround(at, std::pow(kWheelZoomFactor, event->angleDelta().y() / 120.0));
    UpdatePointer(at);
    event->accept();
}

void RecordChart::mousePressEvent(QMouseEvent* event)
{
    const bool pan = event->button() == Qt::MiddleButton
        || (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ControlModifier));
    if (pan && Viewport().Contains(event->position())) {
        panning_ = true;
        panFrom_ = event->position();
        setCursor(Qt::ClosedHandCursor);
        event->accept();
        return;
    }
    QChartView::mousePressEvent(event);
}

void RecordChart::mouseMoveEvent(QMouseEvent* event)
{
    if (panning_) {
        PanBy(event->position() - panFrom_);
        panFrom_ = event->position();
        event->accept();
    } else {
        QChartView::mouseMoveEvent(event);
    }
    UpdatePointer(event->position());
}

void RecordChart::mouseReleaseEvent(QMouseEvent* event)
{
    if (panning_) {
        panning_ = false;
        unsetCursor();
        event->accept();
        return;
    }
    // The rubber band (and its right-click zoom out) changes the axes inside the base class.
    const ChartViewport before = Viewport();
    QChartView::mouseReleaseEvent(event);
    const ChartViewport after = Viewport();
    if (before.X().low == after.X().low && before.X().high == after.X().high && before.Y().low == after.Y().low
        && before.Y().high == after.Y().high)
        return;
    const std::optional<ChartViewport::Range> whole = WholeX();
    if (whole && after.X().Contains(*whole)
        && after.Y().Contains({kWholeLowPH, kWholeHighPH})) {
        ShowWholeCurve();
        return;
    }
    zoomed_ = true;
    ZoomedTicks();
    Redraw();
}

void RecordChart::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        ShowWholeCurve();
        event->accept();
        return;
    }
    QChartView::mouseDoubleClickEvent(event);
}

void RecordChart::leaveEvent(QEvent* event)
{
    crossX_->hide();
    crossY_->hide();
    emit ReadoutChanged(QString());
    QChartView::leaveEvent(event);
}

void RecordChart::TidyLegend(QChart* chart)
{
    QLegend* legend = chart->legend();
    bool named = false;
    for (QLegendMarker* marker : legend->markers()) {
        const bool shown = marker->series() && !marker->series()->name().isEmpty();
        marker->setVisible(shown);
        named = named || shown;
    }
    legend->setVisible(named);
}
