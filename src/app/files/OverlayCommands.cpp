#include "files/OverlayCommands.h"

#include "data/MeasurementRecord.h"
#include "support/AppLog.h"
#include "support/CurvePalette.h"
#include "support/DesignFont.h"
#include "support/ErrorBox.h"
#include "text/ExceptionText.h"
#include "window/RecordChart.h"

#include <QAction>
#include <QChart>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QLegend>
#include <QLegendMarker>
#include <QLineF>
#include <QLineSeries>
#include <QTimer>
#include <QThread>
#include <QValueAxis>

#include <algorithm>
#include <array>
#include <memory>

struct OverlayCommands::Batch {
    QStringList paths;
    QList<ReferenceCurve::Curve> curves;
    QStringList refusals;

    void Run()
    {
        for (const QString& path : paths) {
            try {
                curves.append(ReferenceCurve::Read(path));
                qCInfo(lcApp).noquote() << QStringLiteral("Courbe à superposer ouverte : %1 (%2 points)")
                                               .arg(QDir::toNativeSeparators(path))
                                               .arg(curves.back().points.size());
            } catch (const std::exception& error) {
                refusals.append(ExceptionText(error));
            }
        }
    }
};

OverlayCommands::OverlayCommands(MeasurementRecord& record, RecordChart& chart, StatusSetter status, QObject* parent)
    : QObject(parent)
    , record_(record)
    , chart_(chart)
    , chartAlive_(&chart)
    , status_(std::move(status))
    , dataFolder_([] { return QDir::currentPath(); })
    , fileDialogRunner_(RunFilesDialog)
    , legendTimer_(new QTimer(this))
{
    legendTimer_->setSingleShot(true);
    legendTimer_->setInterval(0);
    connect(legendTimer_, &QTimer::timeout, this, Guarded(this, &OverlayCommands::PlaceLegend));
    // At once, so that a chart laid out anew for a page has its legend in place.
    connect(chart_.chart(), &QChart::plotAreaChanged, this, Guarded(this, &OverlayCommands::PlaceLegend));
    // A series named or hidden by anyone changes the legend's size: it is placed again.
    chart_.chart()->legend()->installEventFilter(this);
    connect(&record_, &MeasurementRecord::ChartTitlesChanged, this, Guarded(this, &OverlayCommands::Present));
    connect(&chart_, &RecordChart::ViewChanged, this, Guarded(this, &OverlayCommands::Redraw));
    chart_.SetOtherCurvesRange([this]() -> std::optional<ChartViewport::Range> {
        if (!Shown())
            return std::nullopt;
        std::optional<ChartViewport::Range> range;
        for (const ReferenceCurve::Curve& curve : curves_) {
            const ChartViewport::Range own{curve.points.front().x(), curve.points.back().x()};
            range = range ? ChartViewport::Range{std::min(range->low, own.low), std::max(range->high, own.high)} : own;
        }
        return range;
    });
}

OverlayCommands::~OverlayCommands()
{
    if (worker_)
        worker_->wait();
    // The chart may have gone first (a window deletes its children in the order they came).
    if (chartAlive_)
        chartAlive_->SetOtherCurvesRange({});
}

void OverlayCommands::SetRemoveAction(QAction* action)
{
    removeAction_ = action;
    if (removeAction_)
        removeAction_->setEnabled(!curves_.isEmpty());
}

QList<QLineSeries*> OverlayCommands::Series() const
{
    QList<QLineSeries*> all;
    for (const QPointer<QLineSeries>& s : series_)
        all.append(s.data());
    return all;
}

bool OverlayCommands::Shown() const
{
    return !series_.isEmpty() && series_.front() && chart_.chart()->series().contains(series_.front().data());
}

QString OverlayCommands::RecordName()
{
    return QStringLiteral("Mesures");
}

bool OverlayCommands::IsOverlay(const QAbstractSeries* series) const
{
    return std::any_of(series_.begin(), series_.end(),
                       [series](const QPointer<QLineSeries>& s) { return s.data() == series; });
}

void OverlayCommands::SuperposerClick()
{
    QFileDialog dialog(chart_.window());
    dialog.setObjectName(QStringLiteral("OverlayDialog"));
    dialog.setWindowTitle(QStringLiteral("Superposer une courbe"));
    dialog.setDirectory(dataFolder_());
    dialog.setNameFilter(QStringLiteral("Fichiers de chimie (*.che)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    const QStringList paths = fileDialogRunner_(dialog);
    if (!paths.isEmpty())
        AddFiles(paths);
}

void OverlayCommands::AddFiles(const QStringList& paths)
{
    if (worker_ || paths.isEmpty())
        return;
    auto reading = std::make_shared<Batch>();
    reading->paths = paths;
    qint64 bytes = 0;
    for (const QString& path : paths)
        bytes += QFileInfo(path).size();
    if (bytes <= readOnWorkerAbove_) {
        reading->Run();
        Take(*reading);
        return;
    }
    status_(QStringLiteral("Lecture des courbes à superposer..."));
    worker_ = QThread::create([reading] { reading->Run(); });
    connect(worker_, &QThread::finished, this, Guarded([this, reading] {
        worker_->deleteLater();
        worker_ = nullptr;
        Take(*reading);
    }));
    worker_->start();
}

void OverlayCommands::Take(const Batch& read)
{
    for (const ReferenceCurve::Curve& curve : read.curves) {
        auto* series = new QLineSeries(this);
        series->setObjectName(QStringLiteral("SerieSuperposee%1").arg(series_.size() + 1));
        series->setName(curve.name);
        series->setPen(CurvePalette::Pen(static_cast<int>(series_.size())));
        curves_.append(curve);
        series_.append(series);
    }
    if (!read.curves.isEmpty()) {
        Present();
        if (Shown())
            chart_.ShowWholeCurve();
        status_(read.curves.size() == 1 ? QStringLiteral("Courbe superposée : %1").arg(read.curves.front().name)
                                        : QStringLiteral("%1 courbes superposées").arg(read.curves.size()));
    }
    if (!read.refusals.isEmpty())
        ErrorBox::Show(read.refusals.join(QLatin1Char('\n')));
}

void OverlayCommands::RetirerClick()
{
    if (curves_.isEmpty())
        return;
    const bool wasShown = Shown();
    QChart* chart = chart_.chart();
    for (const QPointer<QLineSeries>& series : series_) {
        if (!series)
            continue;
        if (chart->series().contains(series.data()))
            chart->removeSeries(series);
        delete series.data();
    }
    series_.clear();
    curves_.clear();
    chart_.Series1()->setName(QString());
    RecordChart::TidyLegend(chart);
    PlaceLegend();
    if (removeAction_)
        removeAction_->setEnabled(false);
    if (wasShown)
        chart_.ShowWholeCurve();
}

bool OverlayCommands::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::LayoutRequest && Shown())
        legendTimer_->start();
    return QObject::eventFilter(watched, event);
}

bool OverlayCommands::Rising() const
{
    int rising = 0;
    int falling = 0;
    const auto count = [&](const QList<QPointF>& points) {
        if (points.size() > 1)
            ++(points.back().y() >= points.front().y() ? rising : falling);
    };
    count(chart_.Points());
    for (const ReferenceCurve::Curve& curve : curves_)
        count(curve.points);
    return rising >= falling;
}

void OverlayCommands::PlaceLegend()
{
    QChart* chart = chart_.chart();
    QLegend* legend = chart->legend();
    if (!Shown()) {
        if (!legend->isAttachedToChart()) {
            legend->setBackgroundVisible(false);
            legend->setAlignment(Qt::AlignTop);
            legend->setFont(attachedLegendFont_);
            legend->attachToChart();
        }
        return;
    }
    if (legend->isAttachedToChart()) {
        attachedLegendFont_ = legend->font();
        legend->detachFromChart();
        legend->setAlignment(Qt::AlignLeft);  // one name under the other
        legend->setBackgroundVisible(true);
        legend->setBrush(QColor(255, 255, 255, 225));
        legend->setPen(QPen(QColor(170, 170, 170)));
        legend->setFont(DesignFont(7));
        legend->setShowToolTips(true);
    }
    constexpr double kMargin = 4.0;
    const QRectF plot = chart->plotArea();
    // One row per named series; the legend's own size hint is that of a row across the chart.
    const QFontMetricsF metrics(legend->font());
    double widest = 0;
    int rows = 0;
    for (QLegendMarker* marker : legend->markers()) {
        if (marker->series() && !marker->series()->name().isEmpty()) {
            widest = std::max(widest, metrics.horizontalAdvance(marker->label()));
            ++rows;
        }
    }
    // A marker's row: the text and its margins; the layout's own margins around them.
    const double rowHeight = metrics.height() + 9;
    const QSizeF size(std::min(widest + metrics.height() + 40, plot.width() * 0.65),
                      std::min((rows + 1) * rowHeight + 4, plot.height() * 0.7));
    const QRectF place = LegendCorner(plot.adjusted(kMargin, kMargin, -kMargin, -kMargin), size);
    // Placing it asks for a layout again: only a change is placed.
    if (legend->geometry() != place) {
        legend->setGeometry(place);
        legend->update();
    }
}

QRectF OverlayCommands::LegendCorner(const QRectF& inside, const QSizeF& size) const
{
    // Rising curves mostly leave the top left empty and the bottom right, falling ones the
    // bottom left and the top right: on a tie that order decides.
    const QRectF topLeft(inside.topLeft(), size);
    const QRectF bottomRight(inside.bottomRight() - QPointF(size.width(), size.height()), size);
    const QRectF topRight(QPointF(inside.right() - size.width(), inside.top()), size);
    const QRectF bottomLeft(QPointF(inside.left(), inside.bottom() - size.height()), size);
    const std::array<QRectF, 4> corners = Rising() ? std::array{topLeft, bottomRight, topRight, bottomLeft}
                                                   : std::array{bottomLeft, topRight, topLeft, bottomRight};
    std::array<qsizetype, 4> hidden{};
    QChart* chart = chart_.chart();
    QAbstractSeries* onAxes = chart_.Series1();
    // Along each drawn segment every few pixels, so that a jump drawn between two far points
    // counts too; a long curve is taken every so many points, enough for a corner's count.
    constexpr qsizetype kMostPoints = 2000;
    constexpr double kStepPx = 6.0;
    const auto count = [&](const QList<QPointF>& points) {
        const qsizetype stride = std::max<qsizetype>(1, points.size() / kMostPoints);
        QPointF previous;
        for (qsizetype i = 0; i < points.size(); i += stride) {
            const QPointF at = chart->mapToPosition(points[i], onAxes);
            const int steps = i == 0 ? 1 : std::clamp(int(QLineF(previous, at).length() / kStepPx), 1, 200);
            for (int k = 1; k <= steps; ++k) {
                const QPointF on = i == 0 ? at : previous + (at - previous) * (double(k) / steps);
                for (std::size_t c = 0; c < corners.size(); ++c)
                    hidden[c] += corners[c].contains(on);
            }
            previous = at;
        }
    };
    count(chart_.Points());
    for (const ReferenceCurve::Curve& curve : curves_)
        count(curve.points);
    return corners[std::min_element(hidden.begin(), hidden.end()) - hidden.begin()];
}

void OverlayCommands::Present()
{
    if (removeAction_)
        removeAction_->setEnabled(!curves_.isEmpty());
    QChart* chart = chart_.chart();
    // Among other curves the record's needs its name too.
    chart_.Series1()->setName(curves_.isEmpty() || record_.TimeMode() ? QString() : RecordName());
    if (record_.TimeMode()) {
        // Put aside for the run, back when it ends.
        for (const QPointer<QLineSeries>& series : series_) {
            if (series && chart->series().contains(series.data())) {
                chart->removeSeries(series);
                series->setParent(this);
            }
        }
        RecordChart::TidyLegend(chart);
        PlaceLegend();
        return;
    }
    PutUnderOtherSeries();
    RecordChart::TidyLegend(chart);
    Redraw();
    PlaceLegend();
}

void OverlayCommands::PutUnderOtherSeries()
{
    QChart* chart = chart_.chart();
    bool missing = false;
    for (const QPointer<QLineSeries>& series : series_)
        missing = missing || (series && !chart->series().contains(series.data()));
    if (!missing)
        return;
    // A chart draws its series in the order they were added: the ones already there go back on
    // after the overlays, with their axes, so that the record's curve stays on top.
    struct Kept {
        QAbstractSeries* series;
        QList<QAbstractAxis*> axes;
    };
    QList<Kept> kept;
    for (QAbstractSeries* series : chart->series()) {
        if (!IsOverlay(series))
            kept.append({series, series->attachedAxes()});
    }
    for (const Kept& k : kept)
        chart->removeSeries(k.series);
    for (const QPointer<QLineSeries>& series : series_) {
        if (!series || chart->series().contains(series.data()))
            continue;
        chart->addSeries(series);
        series->attachAxis(chart_.BottomAxis());
        series->attachAxis(chart_.LeftAxis());
    }
    for (const Kept& k : kept) {
        chart->addSeries(k.series);
        for (QAbstractAxis* axis : k.axes)
            k.series->attachAxis(axis);
    }
    RecordChart::TidyLegend(chart);
}

void OverlayCommands::Redraw()
{
    if (!Shown())
        return;
    for (qsizetype i = 0; i < series_.size(); ++i) {
        if (series_[i])
            series_[i]->replace(chart_.ThinnedForView(curves_[i].points));
    }
}
