#include "AnalysisCommands.h"

#include "AppLog.h"
#include "ConvertError.h"
#include "DataCommands.h"
#include "ElectrodeCalibration.h"
#include "ElectrodeCheck.h"
#include "ErrorBox.h"
#include "FileDialogRunner.h"
#include "FileError.h"
#include "MeasurementRecord.h"
#include "ModelCommands.h"
#include "RecordChart.h"
#include "TFAcquisition.h"
#include "TitrationConcentration.h"

#include <QAction>
#include <QChart>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QGuiApplication>
#include <QLineSeries>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QTimer>
#include <QValueAxis>

#include <algorithm>

namespace {

// Blue for the derivative and purple for the equivalence mark, apart from the red curve and
// its red or green point marks.
const QColor kDerivativeColour(0, 0, 220);
const QColor kMarkColour(150, 0, 150);

const QString kPngFilter = QStringLiteral("Image PNG (*.png)");
const QString kSvgFilter = QStringLiteral("Image SVG (*.svg)");

QAction* Item(QMenu* menu, const QString& caption, const QString& name)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

}  // namespace

AnalysisCommands::AnalysisCommands(TFAcquisition& window)
    : AnalysisCommands(window.Record(), *window.Chart1, [&window](const QString& text) { window.SetStatusText(text); },
                       &window)
{
    SetDataFolder([&window] { return window.Data().DataFolderPath(); });
    model_->SetHeaderValues([&window] { return window.Data().Document().Values(); });
    SetQuantities([&window] { return window.Data().Document().Values(); });
    AttachMenu(window.menuBar(), ParametrerMenuAction(window.menuBar()));
}

AnalysisCommands::AnalysisCommands(MeasurementRecord& record, RecordChart& chart, StatusSetter status,
                                   QObject* parent)
    : QObject(parent)
    , record_(record)
    , chart_(chart)
    , status_(std::move(status))
    , model_(new ModelCommands(record, chart, status_, this))
    , dataFolder_([] { return QDir::currentPath(); })
    , fileDialogRunner_(RunFileDialog)
    , redraw_(new QTimer(this))
{
    redraw_->setSingleShot(true);
    redraw_->setInterval(RecordChart::kRedrawIntervalMs);
    connect(redraw_, &QTimer::timeout, this, Guarded(this, &AnalysisCommands::FlushDerivative));
    ConnectRecord();
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
    return mark_;
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
}

void AnalysisCommands::OnViewChanged()
{
    if (derivativeShown_ && derivative_ && !redraw_->isActive())
        DrawDerivative();
    if (equivalence_ && mark_ && chart_.chart()->series().contains(mark_.data()))
        ShowMark(equivalence_->volumeMl);
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
    pointEquivalence_ = Item(menu_, QStringLiteral("&Point d'équivalence"), QStringLiteral("Pointdequivalence1"));
    modeliser_ = Item(menu_, QStringLiteral("&Modéliser..."), QStringLiteral("Modeliser1"));
    copierResultats_ = Item(menu_, QStringLiteral("Copier les résultats"), QStringLiteral("Copierlesresultats1"));
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
    connect(pointEquivalence_, &QAction::triggered, this, Guarded(this, &AnalysisCommands::PointEquivalenceClick));
    connect(modeliser_, &QAction::triggered, model_, Guarded(model_, &ModelCommands::ModeliserClick));
    connect(copierResultats_, &QAction::triggered, this, Guarded(this, &AnalysisCommands::CopierResultatsClick));
    connect(enregistrerGraphique_, &QAction::triggered, this, Guarded(this, &AnalysisCommands::EnregistrerGraphiqueClick));

    const QList<QAction*> actions = bar->actions();
    const qsizetype at = actions.indexOf(after);
    if (at >= 0 && at + 1 < actions.size())
        bar->insertMenu(actions[at + 1], menu_);
    else
        bar->addMenu(menu_);
    return menu_;
}

void AnalysisCommands::OnRecordChanged()
{
    // The equivalence found belongs to the points it was found on.
    equivalence_.reset();
    HideMark();
    ScheduleDerivative();
}

void AnalysisCommands::ScheduleDerivative()
{
    // At most one redraw per interval, as the chart's own curve.
    if (derivativeShown_ && !redraw_->isActive())
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
}

void AnalysisCommands::DeriveeClick(bool shown)
{
    if (derivee_ && derivee_->isChecked() != shown) {
        derivee_->setChecked(shown);  // toggles back into this slot
        return;
    }
    if (shown == derivativeShown_)
        return;
    QChart* chart = chart_.chart();
    derivativeShown_ = shown;
    if (shown) {
        EnsureDerivativeSeries();
        // The chart takes both; removing them hands them back.
        chart->addAxis(rightAxis_, Qt::AlignRight);
        chart->addSeries(derivative_);
        derivative_->attachAxis(chart_.BottomAxis());
        derivative_->attachAxis(rightAxis_);
        ModelCommands::TidyLegend(chart);
        FlushDerivative();
        return;
    }
    redraw_->stop();
    if (derivative_) {
        chart->removeSeries(derivative_);
        derivative_->setParent(this);
    }
    if (rightAxis_) {
        chart->removeAxis(rightAxis_);
        rightAxis_->setParent(this);
    }
}

void AnalysisCommands::FlushDerivative()
{
    redraw_->stop();
    if (!derivativeShown_ || !derivative_)
        return;
    // During a run the rows have no volume yet: the derivative waits for the end of the run.
    slopes_.clear();
    if (!record_.TimeMode())
        slopes_ = TitrationAnalysis::Derivative(TitrationAnalysis::CurvePoints(record_.VolumePoints()));
    DrawDerivative();
}

void AnalysisCommands::DrawDerivative()
{
    // The right-hand axis fits the slopes within the visible volumes, so a zoom into the jump
    // shows its peak whole; the whole curve shows them all.
    const double left = chart_.BottomAxis()->min();
    const double right = chart_.BottomAxis()->max();
    double low = 0.0;
    double high = 0.0;
    for (const QPointF& s : slopes_) {
        if (s.x() < left || s.x() > right)
            continue;
        low = std::min(low, s.y());
        high = std::max(high, s.y());
    }
    derivative_->replace(chart_.ThinnedForView(slopes_));
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

std::optional<TitrationAnalysis::Equivalence> AnalysisCommands::ComputeEquivalence() const
{
    return TitrationAnalysis::FindEquivalence(ReadPoints());
}

std::optional<double> AnalysisCommands::ConcentrationFor(const TitrationAnalysis::Equivalence& found) const
{
    if (!quantities_)
        return std::nullopt;
    return TitrationConcentration::BeakerConcentration(found.volumeMl, quantities_());
}

void AnalysisCommands::PointEquivalenceClick()
{
    equivalence_ = ComputeEquivalence();
    QString text = TitrationAnalysis::ResultText(equivalence_);
    if (equivalence_)
        text += TitrationConcentration::StatusSuffix(ConcentrationFor(*equivalence_));
    status_(text);
    if (equivalence_)
        ShowMark(equivalence_->volumeMl);
    else
        HideMark();
}

void AnalysisCommands::ShowMark(double volumeMl)
{
    QChart* chart = chart_.chart();
    if (!mark_) {
        mark_ = new QLineSeries(this);
        mark_->setObjectName(QStringLiteral("MarqueEquivalence"));
        mark_->setPen(QPen(kMarkColour, 1.5, Qt::DashLine));
    }
    if (!chart->series().contains(mark_.data())) {
        chart->addSeries(mark_);
        mark_->attachAxis(chart_.BottomAxis());
        mark_->attachAxis(chart_.LeftAxis());
        ModelCommands::TidyLegend(chart);
    }
    const double bottom = chart_.LeftAxis()->min();
    const double top = chart_.LeftAxis()->max();
    mark_->replace({QPointF(volumeMl, bottom), QPointF(volumeMl, top)});
}

void AnalysisCommands::HideMark()
{
    if (!mark_)
        return;
    QChart* chart = chart_.chart();
    if (chart->series().contains(mark_.data())) {
        chart->removeSeries(mark_);
        mark_->setParent(this);
    }
}

void AnalysisCommands::CopierResultatsClick()
{
    const std::optional<TitrationAnalysis::Equivalence> result = ComputeEquivalence();
    QString text;
    if (result) {
        // Equivalence lines first, then the concentration.
        text = TitrationAnalysis::ClipboardResults(*result);
        if (const std::optional<double> ca = ConcentrationFor(*result))
            text += TitrationConcentration::ClipboardLine(*ca);
    } else {
        status_(TitrationAnalysis::NotFoundText());
    }
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw FileError::CannotWrite(path, file.errorString());
    bool written = true;
    if (svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&file);
        generator.setSize(chart_.size());
        generator.setViewBox(QRect(QPoint(0, 0), chart_.size()));
        generator.setTitle(chart_.TitleText().trimmed());
        QPainter painter(&generator);
        chart_.QGraphicsView::render(&painter);
        written = painter.end();
    } else {
        written = chart_.grab().save(&file, "PNG");
    }
    if (!written) {
        file.cancelWriting();
        throw FileError::CannotWrite(path, QStringLiteral("l'image n'a pas pu être produite"));
    }
    // Until commit() the previous file, if any, stays as it was.
    if (!file.commit())
        throw FileError::CannotWrite(path, file.errorString());
    qCInfo(lcApp).noquote() << QStringLiteral("Graphique enregistré : %1").arg(QDir::toNativeSeparators(path));
}

void AnalysisCommands::ShowElectrodeCheck(const ElectrodeCalibration& electrode, const QString& pressStatusMessage)
{
    // Step 0 after a press means the third press has just computed the coefficients; the
    // equal-voltages message outranks the check.
    if (electrode.Calibrating() || !pressStatusMessage.isEmpty())
        return;
    // In the difference mode the converted voltage is half the electrode's.
    const double scale = electrode.DifferentialMode() ? 2.0 : 1.0;
    if (const auto check = ElectrodeCheck::Evaluate(electrode.Slope(), electrode.Intercept(), scale)) {
        qCInfo(lcApp).noquote() << QStringLiteral("Contrôle de l'électrode : %1").arg(ElectrodeCheck::Text(*check));
        status_(ElectrodeCheck::Text(*check));
    }
}
