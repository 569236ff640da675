#include "analysis/AnalysisCommands.h"

#include "acquisition/ElectrodeCalibration.h"
#include "analysis/ConductimetryCommands.h"
#include "analysis/DistributionCommands.h"
#include "analysis/ModelCommands.h"
#include "analysis/TangentCommands.h"
#include "analysis/UncertaintyCommands.h"
#include "data/ConvertError.h"
#include "data/ElectrodeCheck.h"
#include "data/MeasurementRecord.h"
#include "data/NumberText.h"
#include "data/TitrationConcentration.h"
#include "data/TitrationJumps.h"
#include "data/UncertaintyResults.h"
#include "data/WholeFile.h"
#include "support/AppLog.h"
#include "support/ErrorBox.h"
#include "support/FileDialogRunner.h"
#include "window/RecordChart.h"

#include <QAction>
#include <QChart>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QGraphicsTextItem>
#include <QGuiApplication>
#include <QLineSeries>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QSvgGenerator>
#include <QTimer>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

// Blue for the derivative and purple for the equivalence mark, apart from the red curve and
// its red or green point marks.
const QColor kDerivativeColour(0, 0, 220);
const QColor kMarkColour(150, 0, 150);
// Teal for the second derivative; grey for the axis both derivatives share.
const QColor kSecondColour(0, 140, 140);
const QColor kSharedAxisColour(70, 70, 70);

const QString kPngFilter = QStringLiteral("Image PNG (*.png)");
const QString kSvgFilter = QStringLiteral("Image SVG (*.svg)");

// 1, 2 or 5 times a power of ten, at or above `value`: the half of it, a tick, stays round.
double RoundAbove(double value)
{
    if (!(value > 0.0) || !std::isfinite(value))
        return 1.0;
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (double step : {1.0, 2.0, 5.0})
        if (step * power >= value)
            return step * power;
    return 10.0 * power;
}

QAction* Item(QMenu* menu, const QString& caption, const QString& name)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

}  // namespace

AnalysisCommands::AnalysisCommands(MeasurementRecord& record, RecordChart& chart, StatusSetter status,
                                   QObject* parent)
    : QObject(parent)
    , record_(record)
    , chart_(chart)
    , status_(std::move(status))
    , model_(new ModelCommands(record, chart, status_, this))
    , tangents_(new TangentCommands(record, chart, status_, [this] { return ReadPoints(); }, this))
    , distributionCommands_(new DistributionCommands(chart, *model_, status_, this))
    , conductimetry_(new ConductimetryCommands(chart, status_, [this] { return ReadPoints(); }, this))
    , uncertainty_(new UncertaintyCommands(this))
    , dataFolder_([] { return QDir::currentPath(); })
    , fileDialogRunner_(RunFileDialog)
    , redraw_(new QTimer(this))
{
    redraw_->setSingleShot(true);
    redraw_->setInterval(RecordChart::kRedrawIntervalMs);
    connect(redraw_, &QTimer::timeout, this, Guarded(this, &AnalysisCommands::FlushDerivative));
    ConnectRecord();
    ConnectUncertainties();
}

void AnalysisCommands::ConnectUncertainties()
{
    UncertaintyCommands::Hooks hooks;
    hooks.quantities = [this] { return quantities_ ? quantities_() : HeaderValues(); };
    hooks.points = [this] { return ReadPoints(); };
    hooks.tangentVe = [this] {
        if (MeasuredQuantities::IsConductivity(quantity_))
            return std::optional<double>();
        const auto& result = tangents_->LastResult();
        return result ? std::optional<double>(result->volumeMl) : std::nullopt;
    };
    hooks.peakVe = [this]() -> std::optional<double> {
        // On a conductivity the derivative's peak, the tangents and the model mean nothing.
        if (MeasuredQuantities::IsConductivity(quantity_))
            return std::nullopt;
        const EquivalenceResults::Results results = ComputeResults();
        return results.jumps.empty() ? std::nullopt : std::optional<double>(results.jumps.front().volumeMl);
    };
    // Ca = Cb Ve / Va holds for one species; a mixture takes its concentrations from two steps.
    hooks.oneSpecies = [this] { return model_->BeakerContent() == TitrationConcentration::Content::OneSpecies; };
    hooks.model = [this]() -> std::optional<UncertaintyCommands::ModelFound> {
        const auto& fit = model_->LastFit();
        if (MeasuredQuantities::IsConductivity(quantity_) || !fit || fit->model.titration.beaker.size() != 1
            || fit->equivalenceMl.empty())
            return std::nullopt;
        for (const MixtureFit::Estimate& e : fit->estimates)
            if (e.parameter.kind == MixtureFit::Parameter::Kind::Concentration)
                return UncertaintyCommands::ModelFound{fit->equivalenceMl.front(), e.value, e.uncertainty};
        return std::nullopt;
    };
    hooks.dialogOwner = [this] { return chart_.window(); };
    uncertainty_->SetHooks(std::move(hooks));
    uncertainty_->SetConductimetry([this]() -> std::optional<ConductimetricAnalysis::Result> {
        if (!MeasuredQuantities::IsConductivity(quantity_))
            return std::nullopt;
        return conductimetry_->Compute().result;
    });
}

QLineSeries* AnalysisCommands::DerivativeSeries() const
{
    return derivative_;
}

QValueAxis* AnalysisCommands::RightAxis() const
{
    return rightAxis_;
}

QLineSeries* AnalysisCommands::EquivalenceMark() const
{
    return marks_.isEmpty() ? nullptr : marks_.front().data();
}

QList<QLineSeries*> AnalysisCommands::EquivalenceMarks() const
{
    QList<QLineSeries*> marks;
    for (const QPointer<QLineSeries>& mark : marks_)
        marks.append(mark.data());
    return marks;
}

QList<QGraphicsTextItem*> AnalysisCommands::EquivalenceLabels() const
{
    QList<QGraphicsTextItem*> labels;
    for (const QPointer<QGraphicsTextItem>& label : labels_)
        labels.append(label.data());
    return labels;
}

void AnalysisCommands::ConnectRecord()
{
    // Every change of the points (run, open, reduction, restore) passes through one of these.
    connect(&record_, &MeasurementRecord::RecordReset, this, Guarded(this, &AnalysisCommands::OnRecordChanged));
    connect(&record_, &MeasurementRecord::TableChanged, this, Guarded(this, &AnalysisCommands::OnRecordChanged));
    connect(&record_, &MeasurementRecord::ChartRebuilt, this, Guarded(this, &AnalysisCommands::OnRecordChanged));
    connect(&record_, &MeasurementRecord::ChartTitlesChanged, this, Guarded(this, &AnalysisCommands::OnRecordChanged));
    connect(&record_, &MeasurementRecord::SampleAppended, this, Guarded(this, &AnalysisCommands::ScheduleDerivative));
    // The derivative shares the chart's X axis: a zoom or pan draws it again for the range.
    connect(&chart_, &RecordChart::ViewChanged, this, Guarded(this, &AnalysisCommands::OnViewChanged));
    // The equivalences' labels follow their marks when the plot is laid out again.
    connect(chart_.chart(), &QChart::plotAreaChanged, this, Guarded(this, &AnalysisCommands::PlaceLabels));
}

void AnalysisCommands::OnViewChanged()
{
    if ((derivativeShown_ || secondShown_) && rightAxis_ && !redraw_->isActive())
        DrawDerivative();
    if (!jumps_.empty() && EquivalenceMark() && chart_.chart()->series().contains(EquivalenceMark()))
        ShowMarks();
}

QAction* AnalysisCommands::ParametrerMenuAction(QMenuBar* bar)
{
    const QList<QAction*> actions = bar->actions();
    const auto found = std::find_if(actions.begin(), actions.end(), [](const QAction* action) {
        return action->menu() && action->text() == QStringLiteral("&Paramétrer");
    });
    return found == actions.end() ? nullptr : *found;
}

QMenu* AnalysisCommands::AttachMenu(QMenuBar* bar, QAction* after)
{
    menu_ = new QMenu(kMenuCaption, bar);
    menu_->setObjectName(QStringLiteral("Analyse1"));
    derivee_ = Item(menu_, QStringLiteral("&Dérivée dpH/dV"), QStringLiteral("Derivee1"));
    derivee_->setCheckable(true);
    deriveeSeconde_ = Item(menu_, QStringLiteral("Dérivée &seconde"), QStringLiteral("Deriveeseconde1"));
    deriveeSeconde_->setCheckable(true);
    pointEquivalence_ = Item(menu_, QStringLiteral("&Point d'équivalence"), QStringLiteral("Pointdequivalence1"));
    domaines_ = Item(menu_, QStringLiteral("D&omaines des droites (conductimétrie)..."), QStringLiteral("Domainesdroites1"));
    connect(domaines_, &QAction::triggered, conductimetry_, Guarded(conductimetry_, &ConductimetryCommands::DomainesClick));
    methodeTangentes_
        = Item(menu_, QStringLiteral("Méthode des &tangentes"), QStringLiteral("Methodedestangentes1"));
    modeliser_ = Item(menu_, QStringLiteral("&Modéliser..."), QStringLiteral("Modeliser1"));
    distribution_ = Item(menu_, QStringLiteral("Diagramme de distri&bution"), QStringLiteral("Diagrammededistribution1"));
    distribution_->setCheckable(true);
    distributionCommands_->SetAction(distribution_);
    distributionPH_ = Item(menu_, QStringLiteral("Distribution en fonction du p&H..."),
                           QStringLiteral("DistributionenfonctiondupH1"));
    copierResultats_ = Item(menu_, QStringLiteral("Copier les &résultats"), QStringLiteral("Copierlesresultats1"));
    uncertainty_->AddAction(menu_, copierResultats_);
    menu_->addSeparator();
    // The chart's own view: whole curve and crosshair.
    vueComplete_ = Item(menu_, QStringLiteral("Vue &complète"), QStringLiteral("Vuecomplete1"));
    reticule_ = Item(menu_, QStringLiteral("Réticu&le"), QStringLiteral("Reticule1"));
    reticule_->setCheckable(true);
    connect(vueComplete_, &QAction::triggered, &chart_, Guarded(&chart_, &RecordChart::ShowWholeCurve));
    connect(reticule_, &QAction::toggled, &chart_, Guarded(&chart_, &RecordChart::SetCrosshair));
    menu_->addSeparator();
    enregistrerGraphique_
        = Item(menu_, QStringLiteral("Enregistrer le &graphique..."), QStringLiteral("Enregistrerlegraphique1"));
    connect(derivee_, &QAction::toggled, this, Guarded(this, &AnalysisCommands::DeriveeClick));
    connect(deriveeSeconde_, &QAction::toggled, this, Guarded(this, &AnalysisCommands::DeriveeSecondeClick));
    connect(methodeTangentes_, &QAction::triggered, tangents_,
            Guarded(tangents_, &TangentCommands::MethodedestangentesClick));
    connect(pointEquivalence_, &QAction::triggered, this, Guarded(this, &AnalysisCommands::PointEquivalenceClick));
    connect(modeliser_, &QAction::triggered, model_, Guarded(model_, &ModelCommands::ModeliserClick));
    connect(distribution_, &QAction::toggled, distributionCommands_,
            Guarded(distributionCommands_, &DistributionCommands::DiagrammeClick));
    connect(distributionPH_, &QAction::triggered, distributionCommands_,
            Guarded(distributionCommands_, &DistributionCommands::ContrePHClick));
    connect(copierResultats_, &QAction::triggered, this, Guarded(this, &AnalysisCommands::CopierResultatsClick));
    connect(enregistrerGraphique_, &QAction::triggered, this, Guarded(this, &AnalysisCommands::EnregistrerGraphiqueClick));
    // A conductivity's items are said unavailable by their tips.
    menu_->setToolTipsVisible(true);
    SetQuantity(quantity_);

    const QList<QAction*> actions = bar->actions();
    const qsizetype at = actions.indexOf(after);
    if (at >= 0 && at + 1 < actions.size())
        bar->insertMenu(actions[at + 1], menu_);
    else
        bar->addMenu(menu_);
    return menu_;
}

void AnalysisCommands::SetQuantities(QuantitiesProvider quantities)
{
    quantities_ = quantities;
    conductimetry_->SetQuantities(std::move(quantities));
}

void AnalysisCommands::SetQuantity(MeasuredQuantity quantity)
{
    quantity_ = quantity;
    const bool conductivity = MeasuredQuantities::IsConductivity(quantity);
    if (conductivity) {
        DeriveeClick(false);
        DeriveeSecondeClick(false);
        if (distribution_ && distribution_->isChecked())
            distribution_->setChecked(false);
    }
    conductimetry_->Clear();
    conductimetry_->SetRanges(std::nullopt);
    const QString why = QStringLiteral("Sans objet pour une conductivité : la courbe n'a pas de saut de pH");
    for (QAction* item : {derivee_, deriveeSeconde_, methodeTangentes_, modeliser_, distribution_, distributionPH_}) {
        if (!item)
            continue;
        item->setEnabled(!conductivity);
        item->setToolTip(conductivity ? why : QString());
        item->setStatusTip(conductivity ? why : QString());
    }
    if (domaines_) {
        const QString pHWhy = QStringLiteral("Pour une conductivité seulement (Paramétrer > Grandeur mesurée)");
        domaines_->setEnabled(conductivity);
        domaines_->setToolTip(conductivity ? QString() : pHWhy);
        domaines_->setStatusTip(conductivity ? QString() : pHWhy);
    }
}

void AnalysisCommands::OnRecordChanged()
{
    // The equivalence found belongs to the points it was found on.
    equivalence_.reset();
    conductimetry_->Clear();
    jumps_.clear();
    HideMark();
    ScheduleDerivative();
}

void AnalysisCommands::ScheduleDerivative()
{
    // At most one redraw per interval, as the chart's own curve.
    if ((derivativeShown_ || secondShown_) && !redraw_->isActive())
        redraw_->start();
}

void AnalysisCommands::EnsureDerivativeSeries()
{
    if (derivative_)
        return;
    derivative_ = new QLineSeries(this);
    derivative_->setObjectName(QStringLiteral("SerieDerivee"));
    derivative_->setPen(QPen(kDerivativeColour, 1.5));
    rightAxis_ = new QValueAxis(this);
    rightAxis_->setObjectName(QStringLiteral("AxeDerivee"));
    rightAxis_->setTitleText(QStringLiteral("dpH/dV, en pH par mL"));
    // The chart's own axis fonts: a larger one would narrow the plot until the volume axis
    // title no longer shows whole.
    rightAxis_->setTitleFont(chart_.BottomAxis()->titleFont());
    rightAxis_->setLabelsFont(chart_.BottomAxis()->labelsFont());
    rightAxis_->setTitleBrush(kDerivativeColour);
    rightAxis_->setLabelsColor(kDerivativeColour);
    rightAxis_->setLinePenColor(kDerivativeColour);
    rightAxis_->setGridLineVisible(false);
    rightAxis_->setRange(0, 1);
    secondDerivative_ = new QLineSeries(this);
    secondDerivative_->setObjectName(QStringLiteral("SerieDeriveeSeconde"));
    secondDerivative_->setPen(QPen(kSecondColour, 1.5));
    // Where the second derivative changes sign.
    zeroLine_ = new QLineSeries(this);
    zeroLine_->setObjectName(QStringLiteral("ZeroDeriveeSeconde"));
    zeroLine_->setPen(QPen(kSecondColour, 1, Qt::DotLine));
}

void AnalysisCommands::DeriveeClick(bool shown)
{
    if (derivee_ && derivee_->isChecked() != shown) {
        derivee_->setChecked(shown);  // toggles back into this slot
        return;
    }
    if (shown == derivativeShown_)
        return;
    derivativeShown_ = shown;
    PlaceDerivatives();
}

void AnalysisCommands::DeriveeSecondeClick(bool shown)
{
    if (deriveeSeconde_ && deriveeSeconde_->isChecked() != shown) {
        deriveeSeconde_->setChecked(shown);  // toggles back into this slot
        return;
    }
    if (shown == secondShown_)
        return;
    secondShown_ = shown;
    PlaceDerivatives();
}

void AnalysisCommands::PlaceDerivatives()
{
    EnsureDerivativeSeries();
    QChart* chart = chart_.chart();
    const bool any = derivativeShown_ || secondShown_;
    const bool axisThere = chart->axes(Qt::Vertical).contains(rightAxis_.data());
    if (any && !axisThere)
        chart->addAxis(rightAxis_, Qt::AlignRight);
    // The chart takes a series; removing it hands it back.
    const auto place = [&](QLineSeries* series, bool shown) {
        const bool there = chart->series().contains(series);
        if (shown && !there) {
            chart->addSeries(series);
            series->attachAxis(chart_.BottomAxis());
            series->attachAxis(rightAxis_);
        } else if (!shown && there) {
            chart->removeSeries(series);
            series->setParent(this);
        }
    };
    place(derivative_, derivativeShown_);
    place(secondDerivative_, secondShown_);
    place(zeroLine_, secondShown_);
    if (!any) {
        redraw_->stop();
        if (axisThere) {
            chart->removeAxis(rightAxis_);
            rightAxis_->setParent(this);
        }
        return;
    }
    // One axis, whose title says in each curve's colour which is which when both are shown.
    QColor colour = kSharedAxisColour;
    if (derivativeShown_ && secondShown_) {
        rightAxis_->setTitleText(QStringLiteral("<span style=\"color:%1\">dpH/dV (pH/mL)</span> ; "
                                                "<span style=\"color:%2\">d²pH/dV² (pH/mL²)</span>")
                                     .arg(kDerivativeColour.name(), kSecondColour.name()));
    } else if (derivativeShown_) {
        colour = kDerivativeColour;
        rightAxis_->setTitleText(QStringLiteral("dpH/dV, en pH par mL"));
    } else {
        colour = kSecondColour;
        rightAxis_->setTitleText(QStringLiteral("d²pH/dV², en pH par mL²"));
    }
    rightAxis_->setTitleBrush(colour);
    rightAxis_->setLabelsColor(colour);
    rightAxis_->setLinePenColor(colour);
    RecordChart::TidyLegend(chart);
    FlushDerivative();
}

void AnalysisCommands::FlushDerivative()
{
    redraw_->stop();
    if (!(derivativeShown_ || secondShown_) || !rightAxis_)
        return;
    // During a run the rows have no volume yet: the derivatives wait for the end of the run.
    slopes_.clear();
    secondSlopes_.clear();
    if (!record_.TimeMode()) {
        const QList<QPointF> curve = TitrationAnalysis::CurvePoints(record_.VolumePoints());
        if (derivativeShown_)
            slopes_ = TitrationAnalysis::Derivative(curve);
        if (secondShown_)
            secondSlopes_ = TitrationAnalysis::SecondDerivative(curve);
    }
    DrawDerivative();
}

void AnalysisCommands::DrawDerivative()
{
    // The right-hand axis fits the values within the visible volumes, so a zoom into the jump
    // shows its peak whole; the whole curve shows them all.
    const double left = chart_.BottomAxis()->min();
    const double right = chart_.BottomAxis()->max();
    double low = 0.0;
    double high = 0.0;
    const auto draw = [&](QLineSeries* series, const QList<QPointF>& values) {
        for (const QPointF& v : values) {
            if (v.x() < left || v.x() > right)
                continue;
            low = std::min(low, v.y());
            high = std::max(high, v.y());
        }
        series->replace(chart_.ThinnedForView(values));
    };
    if (derivativeShown_)
        draw(derivative_, slopes_);
    if (secondShown_) {
        draw(secondDerivative_, secondSlopes_);
        zeroLine_->replace({QPointF(left, 0.0), QPointF(right, 0.0)});
    }
    FitRightAxis(low, high);
}

void AnalysisCommands::FitRightAxis(double low, double high)
{
    if (secondShown_) {
        // Zero in the middle, labelled, so that the change of sign reads at a glance.
        const double reach = RoundAbove(1.05 * std::max(-low, high));
        rightAxis_->setRange(-reach, reach);
        rightAxis_->setTickCount(5);
        return;
    }
    if (high - low < 1e-9)
        high = low + 1.0;
    // A little room so that the peak does not run into the frame.
    const double margin = (high - low) * 0.05;
    rightAxis_->setRange(low < 0.0 ? low - margin : low, high > 0.0 ? high + margin : high);
    rightAxis_->applyNiceNumbers();
}

QList<QPointF> AnalysisCommands::ReadPoints() const
{
    // In time mode the volumes are not there yet: no curve, and nothing wrong either.
    if (record_.TimeMode())
        return {};
    QString failed;
    QList<QPointF> points = record_.VolumePoints(&failed);
    if (points.size() < std::min(record_.PointCount(), record_.RowCount() - 1))
        throw ConvertError(failed);
    return points;
}

EquivalenceResults::Results AnalysisCommands::ComputeResults() const
{
    return EquivalenceResults::Find(ReadPoints(), model_->BeakerContent(),
                                    quantities_ ? quantities_() : HeaderValues());
}

void AnalysisCommands::PointEquivalenceClick()
{
    if (MeasuredQuantities::IsConductivity(quantity_)) {
        conductimetry_->PointEquivalenceClick();
        return;
    }
    const EquivalenceResults::Results results = ComputeResults();
    jumps_ = results.jumps;
    equivalence_.reset();
    if (!jumps_.empty())
        equivalence_ = jumps_[TitrationJumps::Steepest(jumps_)];
    QString text = EquivalenceResults::StatusText(results);
    // The uncertainties of the first equivalence, the one Ca follows from; Ca with its
    // uncertainty then stands in the place of the bare one, so it is not written twice.
    if (!jumps_.empty()) {
        const UncertaintyResults::Entry peak = uncertainty_->PeakEntry(jumps_.front().volumeMl);
        if (peak.concentration)
            text = TitrationJumps::ResultText(results.jumps);
        text += UncertaintyResults::StatusSuffix(peak);
    }
    status_(text);
    if (!jumps_.empty())
        ShowMarks();
    else
        HideMark();
}

void AnalysisCommands::ShowMarks()
{
    QChart* chart = chart_.chart();
    const double bottom = chart_.LeftAxis()->min();
    const double top = chart_.LeftAxis()->max();
    bool added = false;
    for (std::size_t i = 0; i < jumps_.size(); ++i) {
        if (marks_.size() <= static_cast<qsizetype>(i)) {
            auto* mark = new QLineSeries(this);
            // The first keeps the name it always had.
            mark->setObjectName(i == 0 ? QStringLiteral("MarqueEquivalence")
                                       : QStringLiteral("MarqueEquivalence%1").arg(i + 1));
            mark->setPen(QPen(kMarkColour, 1.5, Qt::DashLine));
            marks_.append(mark);
        }
        QLineSeries* mark = marks_[static_cast<qsizetype>(i)];
        if (!chart->series().contains(mark)) {
            chart->addSeries(mark);
            mark->attachAxis(chart_.BottomAxis());
            mark->attachAxis(chart_.LeftAxis());
            added = true;
        }
        mark->replace({QPointF(jumps_[i].volumeMl, bottom), QPointF(jumps_[i].volumeMl, top)});
    }
    // Marks of an earlier curve with more jumps go.
    for (qsizetype i = static_cast<qsizetype>(jumps_.size()); i < marks_.size(); ++i) {
        if (chart->series().contains(marks_[i].data())) {
            chart->removeSeries(marks_[i]);
            marks_[i]->setParent(this);
        }
    }
    if (added)
        RecordChart::TidyLegend(chart);
    PlaceLabels();
}

void AnalysisCommands::PlaceLabels()
{
    // A single jump reads as it always did, from the status bar alone.
    const std::size_t wanted = jumps_.size() >= 2 ? jumps_.size() : 0;
    QChart* chart = chart_.chart();
    while (labels_.size() > static_cast<qsizetype>(wanted))
        delete labels_.takeLast().data();  // null when the chart went first
    if (wanted == 0)
        return;
    const QRectF area = chart->plotArea();
    const double left = chart_.BottomAxis()->min();
    const double right = chart_.BottomAxis()->max();
    for (std::size_t i = 0; i < wanted; ++i) {
        if (labels_.size() <= static_cast<qsizetype>(i)) {
            auto* label = new QGraphicsTextItem(chart);
            label->setDefaultTextColor(kMarkColour);
            label->setFont(chart_.BottomAxis()->labelsFont());
            label->setZValue(10);
            labels_.append(label);
        }
        QGraphicsTextItem* label = labels_[static_cast<qsizetype>(i)];
        if (!label)
            return;
        const TitrationAnalysis::Equivalence& jump = jumps_[i];
        label->setPlainText(QStringLiteral("Équivalence %1 : Ve = %2 mL ; pH = %3")
                           .arg(i + 1)
                           .arg(NumberText::Fixed(jump.volumeMl, 15, 2), NumberText::Fixed(jump.pH, 15, 2)));
        // Beside its mark, one line lower for each jump, so that close jumps do not overlap;
        // to the mark's left when the right of the plot has no room.
        const QPointF at = chart->mapToPosition(QPointF(jump.volumeMl, chart_.LeftAxis()->max()), marks_.front());
        const QRectF box = label->boundingRect();
        double x = at.x() + 4.0;
        if (x + box.width() > area.right())
            x = std::max(area.left(), at.x() - 4.0 - box.width());
        label->setPos(x, area.top() + 2.0 + static_cast<double>(i) * (box.height() + 2.0));
        label->setVisible(jump.volumeMl >= left && jump.volumeMl <= right);
    }
}

void AnalysisCommands::HideMark()
{
    QChart* chart = chart_.chart();
    for (const QPointer<QLineSeries>& mark : marks_) {
        if (mark && chart->series().contains(mark.data())) {
            chart->removeSeries(mark);
            mark->setParent(this);
        }
    }
    PlaceLabels();
}

void AnalysisCommands::CopierResultatsClick()
{
    if (MeasuredQuantities::IsConductivity(quantity_)) {
        // The conductimetric lines in the place of the pH's; nothing of a pH method applies.
        const QString lines = conductimetry_->ClipboardLines();
        if (!lines.isEmpty())
            QGuiApplication::clipboard()->setText(lines + uncertainty_->ClipboardLines());
        return;
    }
    // Every equivalence first, then the concentrations.
    const EquivalenceResults::Results results = ComputeResults();
    QString text = EquivalenceResults::ClipboardText(results);
    if (results.jumps.empty())
        status_(TitrationAnalysis::NotFoundText());
    // The uncertainties of every method that ran, after the concentrations.
    text += uncertainty_->ClipboardLines();
    // Then the method of tangents, when it ran on these points.
    text += tangents_->ClipboardLines();
    // The model's lines come last, whatever other results come before them.
    text += model_->ClipboardLines();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void AnalysisCommands::EnregistrerGraphiqueClick()
{
    QFileDialog dialog(chart_.window());
    dialog.setWindowTitle(QStringLiteral("Enregistrement du graphique"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDirectory(dataFolder_());
    dialog.setNameFilters({kPngFilter, kSvgFilter});
    dialog.selectNameFilter(kPngFilter);
    dialog.setDefaultSuffix(QStringLiteral("png"));
    // The standard dialog asks before replacing an existing file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    QString path = fileDialogRunner_(dialog);
    if (path.isEmpty())
        return;
    const QString suffix = QFileInfo(path).suffix().toLower();
    bool svg = suffix == QLatin1String("svg");
    if (suffix != QLatin1String("png") && !svg) {
        // No image extension typed: the chosen filter decides and names the file.
        svg = dialog.selectedNameFilter() == kSvgFilter;
        path += svg ? QStringLiteral(".svg") : QStringLiteral(".png");
    }
    WriteImage(path, svg);
}

void AnalysisCommands::WriteImage(const QString& path, bool svg)
{
    // An axis added since the last repaint is laid out on the next one; the image needs it now.
    if (QGraphicsLayout* layout = chart_.chart()->layout())
        layout->activate();
    WholeFile::Write(path, [&](QIODevice& device) {
        bool written = true;
        if (svg) {
            QSvgGenerator generator;
            generator.setOutputDevice(&device);
            generator.setSize(chart_.size());
            generator.setViewBox(QRect(QPoint(0, 0), chart_.size()));
            generator.setTitle(chart_.TitleText().trimmed());
            QPainter painter(&generator);
            chart_.QGraphicsView::render(&painter);
            written = painter.end();
        } else {
            written = chart_.grab().save(&device, "PNG");
        }
        return written ? QString() : QStringLiteral("l'image n'a pas pu être produite");
    });
    qCInfo(lcApp).noquote() << QStringLiteral("Graphique enregistré : %1").arg(QDir::toNativeSeparators(path));
}

void AnalysisCommands::ShowElectrodeCheck(const ElectrodeCalibration& electrode, const QString& pressStatusMessage,
                                          StoredCalibration::Board board)
{
    // Step 0 after a press means the third press has just computed the coefficients; the
    // equal-voltages message outranks the check.
    if (electrode.Calibrating() || !pressStatusMessage.isEmpty())
        return;
    if (const auto check = StoredCalibration::Check(electrode, board)) {
        qCInfo(lcApp).noquote() << QStringLiteral("Contrôle de l'électrode : %1").arg(ElectrodeCheck::Text(*check));
        status_(ElectrodeCheck::Text(*check));
    }
}
