#include "analysis/ModelCommands.h"

#include "analysis/ModelDialog.h"
#include "chemistry/ModelChoice.h"
#include "data/ConvertError.h"
#include "data/MeasurementRecord.h"
#include "data/NumberText.h"
#include "support/ErrorBox.h"
#include "window/RecordChart.h"

#include <QChart>
#include <QLineEdit>
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

// "Ve = 20,00 mL", or "Ve1 = 10,00 mL ; Ve2 = 20,00 mL" for several steps.
QString EquivalenceText(const MixtureTitration::Titration& t)
{
    const std::vector<double> ve = MixtureTitration::EquivalenceVolumesMl(t);
    if (ve.size() == 1)
        return QStringLiteral("Ve = %1 mL").arg(Millilitres(ve.front()));
    QStringList parts;
    for (std::size_t i = 0; i < ve.size(); ++i)
        parts << QStringLiteral("Ve%1 = %2 mL").arg(i + 1).arg(Millilitres(ve[i]));
    return parts.join(QStringLiteral(" ; "));
}

// The species alone, "acide phosphorique" or "acide fort + acide éthanoïque": the legend has
// the chart's width to itself.
QString SpeciesNames(const MixtureTitration::Titration& t)
{
    QStringList names;
    for (const MixtureTitration::Component& c : t.beaker)
        names << (c.protons == 0 ? c.couple.baseName : c.couple.acidName);
    return names.join(QStringLiteral(" + "));
}

bool ReadPositive(const QLineEdit* edit, double& value)
{
    const QString text = edit->text().trimmed();
    return (NumberText::TryParse(text, value) || NumberText::TryParse(text, value, QLatin1Char('.'))) && value > 0.0;
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

TitrationConcentration::Content ModelCommands::BeakerContent() const
{
    return shown_ && shown_->titration.beaker.size() >= 2 ? TitrationConcentration::Content::TwoSpecies
                                                          : TitrationConcentration::Content::OneSpecies;
}

QString ModelCommands::ClipboardLines() const
{
    return fit_ ? MixtureFit::ClipboardLines(*fit_) : QString();
}

QStringList ModelCommands::ReportLines() const
{
    if (!fit_)
        return {};
    return {QStringLiteral("Modèle choisi : %1").arg(MixtureFit::Description(fit_->model)),
            MixtureFit::ResultText(*fit_)};
}

void ModelCommands::ModeliserClick()
{
    ModelDialog& dialog = Dialog();
    dialog.FillQuantities(headerValues_());
    if (suggestionDue_ && !shown_)
        Suggest();
    modalRunner_(dialog);
}

void ModelCommands::Suggest()
{
    QString refusal;
    const std::optional<QList<QPointF>> points = RecordPoints(refusal);
    double va = 0.0;
    double cb = 0.0;
    if (!points || points->size() < MixtureFit::kMinimumPoints || !ReadPositive(Dialog().VolumeEdit(), va)
        || !ReadPositive(Dialog().BuretteEdit(), cb))
        return;
    suggestionDue_ = false;
    const std::optional<ModelChoice::Choice> choice = ModelChoice::Best(*points, va, cb);
    if (!choice)
        return;
    Dialog().ShowSuggested(choice->model);
    Dialog().ShowResult(QStringLiteral("Modèle qui décrit le mieux la courbe : %1 (écart-type %2 pH).")
                            .arg(MixtureFit::Description(choice->model), NumberText::Fixed(choice->residualSdPH, 15, 2)));
}

void ModelCommands::OnRecordChanged()
{
    suggestionDue_ = true;
    fit_.reset();
    const bool hadModel = shown_.has_value();
    shown_.reset();
    Hide();
    if (hadModel)
        emit ModelChanged();
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
    const std::optional<MixtureFit::Model> model = Dialog().ReadModel(refusal);
    std::optional<QList<QPointF>> points;
    if (model && !MixtureTitration::Titrates(model->titration))
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
    const QString text = QStringLiteral("Modèle tracé : %1 ; %2")
                             .arg(MixtureFit::Description(*model), EquivalenceText(model->titration));
    Dialog().ShowResult(text);
    status_(text);
}

void ModelCommands::AjusterClick()
{
    QString refusal;
    const std::optional<MixtureFit::Model> start = Dialog().ReadModel(refusal);
    std::optional<QList<QPointF>> points;
    if (start)
        points = RecordPoints(refusal);
    if (!points) {
        Refuse(refusal);
        return;
    }
    const MixtureFit::Outcome outcome = MixtureFit::Fit(*start, Dialog().AdjustedParameters(), *points);
    if (!outcome.result) {
        Refuse(outcome.refusal);
        return;
    }
    fit_ = outcome.result;
    Draw(fit_->model, *points);
    Dialog().ShowModel(fit_->model);
    const QString text = MixtureFit::ResultText(*fit_);
    Dialog().ShowResult(text);
    status_(text);
}

void ModelCommands::Draw(const MixtureFit::Model& model, const QList<QPointF>& points)
{
    // Over the measured volumes; with no points yet, up to twice the last equivalence volume.
    double from = 0.0;
    double to = 0.0;
    for (const QPointF& p : points) {
        from = std::min(from, p.x());
        to = std::max(to, p.x());
    }
    if (points.isEmpty()) {
        const std::vector<double> ve = MixtureTitration::EquivalenceVolumesMl(model.titration);
        to = std::max(1.0, 2.0 * (ve.empty() ? 0.0 : ve.back()));
    }

    QChart* chart = chart_.chart();
    if (!series_) {
        series_ = new QLineSeries(this);
        series_->setObjectName(QStringLiteral("SerieModele"));
        series_->setPen(QPen(kModelColour, 2, Qt::DashLine));
    }
    series_->setName(QStringLiteral("Modèle : ") + SpeciesNames(model.titration));
    series_->replace(MixtureFit::Curve(model, from, to));
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
    shown_ = model;
    emit ModelChanged();
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
