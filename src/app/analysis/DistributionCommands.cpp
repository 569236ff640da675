#include "analysis/DistributionCommands.h"

#include "analysis/ModelCommands.h"
#include "chemistry/SpeciesFractions.h"
#include "support/CurvePalette.h"
#include "support/ErrorBox.h"
#include "window/RecordChart.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QDialog>
#include <QLineSeries>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kSamples = 400;

QValueAxis* PercentAxis(QObject* parent, const QFont& titleFont, const QFont& labelsFont)
{
    auto* axis = new QValueAxis(parent);
    axis->setObjectName(QStringLiteral("AxeDistribution"));
    axis->setTitleText(QStringLiteral("Proportion des espèces, en %"));
    axis->setTitleFont(titleFont);
    axis->setLabelsFont(labelsFont);
    axis->setRange(0.0, 100.0);
    axis->setTickCount(6);
    axis->setLabelFormat(QStringLiteral("%.0f"));  // "%d" shows nothing on a chart with localised numbers
    axis->setGridLineVisible(false);
    return axis;
}

std::vector<double> Spread(double from, double to)
{
    std::vector<double> values(kSamples);
    for (int i = 0; i < kSamples; ++i)
        values[static_cast<std::size_t>(i)] = from + (to - from) * i / (kSamples - 1);
    return values;
}

}  // namespace

DistributionCommands::DistributionCommands(RecordChart& chart, ModelCommands& model, StatusSetter status,
                                           QObject* parent)
    : QObject(parent)
    , chart_(chart)
    , model_(model)
    , status_(std::move(status))
    , windowRunner_([](QDialog& dialog) { dialog.exec(); })
{
    connect(&model_, &ModelCommands::ModelChanged, this, Guarded(this, &DistributionCommands::OnModelChanged));
}

QList<QLineSeries*> DistributionCommands::Lines() const
{
    QList<QLineSeries*> lines;
    for (const QPointer<QLineSeries>& line : lines_)
        if (line)
            lines.append(line.data());
    return lines;
}

QValueAxis* DistributionCommands::Axis() const
{
    return axis_;
}

std::optional<MixtureFit::Model> DistributionCommands::Model(QString& refusal) const
{
    const std::optional<MixtureFit::Model>& model = model_.ShownModel();
    if (!model) {
        refusal = QStringLiteral("Diagramme de distribution : tracez ou ajustez d'abord un modèle "
                                 "(Analyse > Modéliser...).");
        return std::nullopt;
    }
    const auto& beaker = model->titration.beaker;
    if (std::none_of(beaker.begin(), beaker.end(), [](const auto& c) { return !c.couple.Strong(); })) {
        refusal = QStringLiteral("Diagramme de distribution : le modèle ne contient aucune espèce faible.");
        return std::nullopt;
    }
    return model;
}

void DistributionCommands::DiagrammeClick(bool shown)
{
    if (action_ && action_->isChecked() != shown) {
        action_->setChecked(shown);  // toggles back into this slot
        return;
    }
    if (!shown) {
        Hide();
        return;
    }
    QString refusal;
    const std::optional<MixtureFit::Model> model = Model(refusal);
    if (!model) {
        status_(refusal);
        if (action_)
            action_->setChecked(false);
        return;
    }
    Draw(*model);
}

void DistributionCommands::OnModelChanged()
{
    if (!shown_)
        return;
    QString refusal;
    if (const std::optional<MixtureFit::Model> model = Model(refusal)) {
        Draw(*model);
        return;
    }
    // The model went with the points it described: so does its diagram.
    if (action_)
        action_->setChecked(false);
    Hide();
}

void DistributionCommands::Draw(const MixtureFit::Model& model)
{
    // Over the model's own curve, which spans the measured volumes.
    double from = 0.0;
    double to = 0.0;
    if (const QLineSeries* curve = model_.ModelSeries(); curve && curve->count() > 1) {
        from = curve->at(0).x();
        to = curve->at(curve->count() - 1).x();
    }
    if (!(to > from))
        to = from + 1.0;
    const std::vector<double> volumes = Spread(from, to);
    const std::vector<SpeciesFractions::Curve> curves = SpeciesFractions::AlongVolume(model.titration, volumes);

    QChart* chart = chart_.chart();
    if (!axis_)
        axis_ = PercentAxis(this, chart_.BottomAxis()->titleFont(), chart_.BottomAxis()->labelsFont());
    if (!chart->axes(Qt::Vertical).contains(axis_.data()))
        chart->addAxis(axis_, Qt::AlignRight);
    while (lines_.size() < static_cast<qsizetype>(curves.size())) {
        auto* line = new QLineSeries(this);
        line->setObjectName(QStringLiteral("Distribution%1").arg(lines_.size() + 1));
        line->setPen(CurvePalette::Pen(static_cast<int>(lines_.size()), 1.5));
        lines_.append(line);
    }
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        QLineSeries* line = lines_[i];
        const bool wanted = i < static_cast<qsizetype>(curves.size());
        const bool there = chart->series().contains(line);
        if (!wanted) {
            if (there) {
                chart->removeSeries(line);
                line->setParent(this);
            }
            continue;
        }
        const SpeciesFractions::Curve& c = curves[static_cast<std::size_t>(i)];
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(volumes.size()));
        for (std::size_t k = 0; k < volumes.size(); ++k)
            points.append(QPointF(volumes[k], c.percent[k]));
        line->setName(c.species);
        line->replace(points);
        if (!there) {
            chart->addSeries(line);
            line->attachAxis(chart_.BottomAxis());
            line->attachAxis(axis_);
        }
    }
    RecordChart::TidyLegend(chart);
    shown_ = true;
}

void DistributionCommands::Hide()
{
    shown_ = false;
    QChart* chart = chart_.chart();
    for (const QPointer<QLineSeries>& line : lines_) {
        if (line && chart->series().contains(line.data())) {
            chart->removeSeries(line);
            line->setParent(this);
        }
    }
    if (axis_ && chart->axes(Qt::Vertical).contains(axis_.data())) {
        chart->removeAxis(axis_);
        axis_->setParent(this);
    }
    RecordChart::TidyLegend(chart);
}

void DistributionCommands::ContrePHClick()
{
    QString refusal;
    const std::optional<MixtureFit::Model> model = Model(refusal);
    if (!model) {
        status_(refusal);
        return;
    }
    QDialog dialog(chart_.window());
    dialog.setObjectName(QStringLiteral("DistributionPHDialog"));
    dialog.setWindowTitle(QStringLiteral("Quorin : Diagramme de distribution en fonction du pH"));
    auto* chart = new QChart;
    chart->setTitle(MixtureFit::Description(*model));
    const std::vector<double> pHs = Spread(0.0, 14.0);
    auto* pHAxis = new QValueAxis(chart);
    pHAxis->setTitleText(QStringLiteral("pH"));
    pHAxis->setRange(0.0, 14.0);
    pHAxis->setTickCount(15);
    pHAxis->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(pHAxis, Qt::AlignBottom);
    QValueAxis* percent = PercentAxis(chart, pHAxis->titleFont(), pHAxis->labelsFont());
    chart->addAxis(percent, Qt::AlignLeft);
    const std::vector<SpeciesFractions::Curve> curves = SpeciesFractions::AlongPH(model->titration, pHs);
    for (std::size_t i = 0; i < curves.size(); ++i) {
        auto* line = new QLineSeries(chart);
        line->setName(curves[i].species);
        line->setPen(CurvePalette::Pen(static_cast<int>(i), 2.0));
        QList<QPointF> points;
        for (std::size_t k = 0; k < pHs.size(); ++k)
            points.append(QPointF(pHs[k], curves[i].percent[k]));
        line->replace(points);
        chart->addSeries(line);
        line->attachAxis(pHAxis);
        line->attachAxis(percent);
    }
    auto* view = new QChartView(chart, &dialog);  // the view owns the chart
    view->setObjectName(QStringLiteral("DistributionPHView"));
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(560, 380);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(view);
    windowRunner_(dialog);
}
