#include "analysis/ModelCommands.h"

#include "analysis/ModelDialog.h"
#include "data/ConvertError.h"
#include "data/MeasurementRecord.h"
#include "data/NumberText.h"
#include "support/ErrorBox.h"
#include "window/RecordChart.h"

#include <QChart>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>

namespace {

// Orange, apart from the red curve, its green or red marks, the blue derivative and the
// purple equivalence mark.
const QColor kModelColour(230, 120, 0);

QString Millilitres(double volume)
{
    return NumberText::Fixed(volume, 15, 2);
}

}  // namespace

ModelCommands::ModelCommands(MeasurementRecord& record, RecordChart& chart, StatusSetter status, QObject* parent)
    : QObject(parent)
    , record_(record)
    , chart_(chart)
    , status_(std::move(status))
    , headerValues_([] { return HeaderValues(); })
    , modalRunner_([](QDialog& dialog) { dialog.exec(); })
{
    // Every change of the points (run, open, reduction, restore) passes through one of these.
    connect(&record_, &MeasurementRecord::RecordReset, this, Guarded(this, &ModelCommands::OnRecordChanged));
    connect(&record_, &MeasurementRecord::TableChanged, this, Guarded(this, &ModelCommands::OnRecordChanged));
    connect(&record_, &MeasurementRecord::ChartRebuilt, this, Guarded(this, &ModelCommands::OnRecordChanged));
    connect(&record_, &MeasurementRecord::ChartTitlesChanged, this, Guarded(this, &ModelCommands::OnRecordChanged));
}

ModelDialog& ModelCommands::Dialog()
{
    if (!dialog_) {
        dialog_ = new ModelDialog(chart_.window());
        dialog_->KeepInView(&chart_);
        connect(dialog_, &ModelDialog::TracerClicked, this, Guarded(this, &ModelCommands::TracerClick));
        connect(dialog_, &ModelDialog::AjusterClicked, this, Guarded(this, &ModelCommands::AjusterClick));
    }
    return *dialog_;
}

QLineSeries* ModelCommands::ModelSeries() const
{
    return series_;
}

bool ModelCommands::ModelShown() const
{
    return series_ && chart_.chart()->series().contains(series_.data());
}

QString ModelCommands::ClipboardLines() const
{
    return fit_ ? TitrationFit::ClipboardLines(*fit_) : QString();
}

void ModelCommands::ModeliserClick()
{
    ModelDialog& dialog = Dialog();
    dialog.FillQuantities(headerValues_());
    modalRunner_(dialog);
}

void ModelCommands::OnRecordChanged()
{
    fit_.reset();
    Hide();
}

void ModelCommands::Refuse(const QString& reason)
{
    QString text = reason;
    if (ModelShown())
        text += QStringLiteral(" Le modèle déjà tracé reste affiché.");
    Dialog().ShowResult(text, true);
    status_(reason);
}

std::optional<QList<QPointF>> ModelCommands::RecordPoints(QString& refusal) const
{
    // During a run the rows have no volume yet.
    if (record_.TimeMode()) {
        refusal = QStringLiteral("Le modèle se compare à la courbe en fonction du volume : impossible pendant une "
                                 "mesure.");
        return std::nullopt;
    }
    QString failed;
    QList<QPointF> points = record_.VolumePoints(&failed);
    if (points.size() < std::min(record_.PointCount(), record_.RowCount() - 1)) {
        refusal = ConvertError(failed).Text();
        return std::nullopt;
    }
    return points;
}

void ModelCommands::TracerClick()
{
    QString refusal;
    const std::optional<TitrationFit::Model> model = Dialog().ReadModel(refusal);
    std::optional<QList<QPointF>> points;
    if (model && !TitrationChemistry::Titrates(model->titration.species, model->titration.reagent))
        refusal = QStringLiteral("Ce modèle n'a pas d'équivalence : un acide se titre par une base forte, une base "
                                 "par un acide fort.");
    else if (model)
        points = RecordPoints(refusal);
    if (!points) {
        Refuse(refusal);
        return;
    }
    fit_.reset();
    Draw(*model, *points);
    const QString text = QStringLiteral("Modèle tracé : %1 ; Ve = %2 mL")
                             .arg(TitrationFit::Description(*model),
                                  Millilitres(TitrationChemistry::EquivalenceVolumeMl(model->titration)));
    Dialog().ShowResult(text);
    status_(text);
}

void ModelCommands::AjusterClick()
{
    QString refusal;
    const std::optional<TitrationFit::Model> start = Dialog().ReadModel(refusal);
    std::optional<QList<QPointF>> points;
    if (start)
        points = RecordPoints(refusal);
    if (!points) {
        Refuse(refusal);
        return;
    }
    const TitrationFit::Outcome outcome = TitrationFit::Fit(*start, Dialog().AdjustedParameters(), *points);
    if (!outcome.result) {
        Refuse(outcome.refusal);
        return;
    }
    fit_ = outcome.result;
    Draw(fit_->model, *points);
    Dialog().ShowModel(fit_->model);
    const QString text = TitrationFit::ResultText(*fit_);
    Dialog().ShowResult(text);
    status_(text);
}

void ModelCommands::Draw(const TitrationFit::Model& model, const QList<QPointF>& points)
{
    // Over the measured volumes; with no points yet, up to twice the equivalence volume.
    double from = 0.0;
    double to = 0.0;
    for (const QPointF& p : points) {
        from = std::min(from, p.x());
        to = std::max(to, p.x());
    }
    if (points.isEmpty())
        to = std::max(1.0, 2.0 * TitrationChemistry::EquivalenceVolumeMl(model.titration));

    QChart* chart = chart_.chart();
    if (!series_) {
        series_ = new QLineSeries(this);
        series_->setObjectName(QStringLiteral("SerieModele"));
        series_->setPen(QPen(kModelColour, 2, Qt::DashLine));
    }
    // The species alone: the legend has the chart's width to itself.
    series_->setName(QStringLiteral("Modèle : ") + TitrationFit::SpeciesName(model.titration.species));
    series_->replace(TitrationFit::Curve(model, from, to));
    if (!ModelShown()) {
        // The chart takes the series; removing it hands it back.
        chart->addSeries(series_);
        series_->attachAxis(chart_.BottomAxis());
        series_->attachAxis(chart_.LeftAxis());
    }
    // An empty record leaves the volume axis at its first range: the curve needs its own.
    if (points.isEmpty() && chart_.BottomAxis()->max() < to) {
        chart_.BottomAxis()->setRange(from, to);
        chart_.BottomAxis()->applyNiceNumbers();
    }
    RecordChart::TidyLegend(chart);
}

void ModelCommands::Hide()
{
    if (!ModelShown())
        return;
    QChart* chart = chart_.chart();
    chart->removeSeries(series_);
    series_->setParent(this);
    RecordChart::TidyLegend(chart);
}
