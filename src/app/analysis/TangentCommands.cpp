#include "analysis/TangentCommands.h"

#include "data/MeasurementRecord.h"
#include "data/NumberText.h"
#include "data/TitrationJumps.h"
#include "support/ErrorBox.h"
#include "window/RecordChart.h"

#include <QChart>
#include <QInputDialog>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>

namespace {
// Near black: apart from the red curve, the blue derivative, the purple Ve mark and the orange
// model.
const QColor kTangentColour(40, 40, 40);
}  // namespace

TangentCommands::TangentCommands(MeasurementRecord& record, RecordChart& chart, StatusSetter status,
                                 PointsReader points, QObject* parent)
    : QObject(parent)
    , chart_(chart)
    , status_(std::move(status))
    , points_(std::move(points))
{
    chooser_ = [&chart](const std::vector<TitrationAnalysis::Equivalence>& jumps,
                        std::size_t steepest) -> std::optional<std::size_t> {
        const QStringList captions = JumpCaptions(jumps, steepest);
        bool ok = false;
        const QString chosen = QInputDialog::getItem(chart.window(), QStringLiteral("Quorin : Méthode des tangentes"),
                                                     QStringLiteral("&Saut étudié :"), captions,
                                                     static_cast<int>(steepest), false, &ok);
        if (!ok)
            return std::nullopt;
        return static_cast<std::size_t>(std::max<qsizetype>(0, captions.indexOf(chosen)));
    };
    // Every change of the points (run, open, reduction, restore) passes through one of these.
    connect(&record, &MeasurementRecord::RecordReset, this, Guarded(this, &TangentCommands::OnRecordChanged));
    connect(&record, &MeasurementRecord::TableChanged, this, Guarded(this, &TangentCommands::OnRecordChanged));
    connect(&record, &MeasurementRecord::ChartRebuilt, this, Guarded(this, &TangentCommands::OnRecordChanged));
    connect(&record, &MeasurementRecord::ChartTitlesChanged, this, Guarded(this, &TangentCommands::OnRecordChanged));
}

QList<QLineSeries*> TangentCommands::Lines() const
{
    QList<QLineSeries*> lines;
    for (const QPointer<QLineSeries>& line : lines_)
        lines.append(line.data());
    return lines;
}

bool TangentCommands::Shown() const
{
    return crossing_ && chart_.chart()->series().contains(crossing_.data());
}

QString TangentCommands::ClipboardLines() const
{
    return result_ ? TangentMethod::ClipboardResults(*result_) : QString();
}

QStringList TangentCommands::ReportLines() const
{
    return result_ ? QStringList{TangentMethod::ReportLine(*result_)} : QStringList();
}

QStringList TangentCommands::JumpCaptions(const std::vector<TitrationAnalysis::Equivalence>& jumps,
                                          std::size_t steepest)
{
    QStringList captions;
    for (std::size_t i = 0; i < jumps.size(); ++i) {
        QString caption = QStringLiteral("Équivalence %1 : Ve ≈ %2 mL").arg(i + 1).arg(NumberText::Fixed(jumps[i].volumeMl, 15, 2));
        if (i == steepest)
            caption += QStringLiteral(" (le saut le plus raide)");
        captions << caption;
    }
    return captions;
}

void TangentCommands::MethodedestangentesClick()
{
    const QList<QPointF> points = points_();
    const std::vector<TitrationAnalysis::Equivalence> jumps = TitrationJumps::FindAll(points);
    if (jumps.size() >= 2) {
        const std::optional<std::size_t> chosen = chooser_(jumps, TitrationJumps::Steepest(jumps));
        if (!chosen)
            return;
        result_ = TangentMethod::FindAt(points, jumps, std::min(*chosen, jumps.size() - 1));
    } else {
        result_ = TangentMethod::Find(points);
    }
    if (!result_) {
        Hide();
        status_(TangentMethod::ImpossibleText());
        return;
    }
    Draw(*result_);
    status_(TangentMethod::ResultText(*result_));
}

void TangentCommands::OnRecordChanged()
{
    result_.reset();
    Hide();
}

void TangentCommands::Draw(const TangentMethod::Result& result)
{
    QChart* chart = chart_.chart();
    if (lines_.isEmpty()) {
        for (const char* name : {"TangenteAvant", "TangenteApres", "TangenteMilieu"}) {
            auto* line = new QLineSeries(this);
            line->setObjectName(QLatin1String(name));
            line->setPen(QPen(kTangentColour, 1.2));
            lines_.append(line);
        }
        lines_[2]->setPen(QPen(kTangentColour, 1.2, Qt::DashLine));
        crossing_ = new QScatterSeries(this);
        crossing_->setObjectName(QStringLiteral("TangentesEquivalence"));
        crossing_->setMarkerShape(QScatterSeries::MarkerShapeCircle);
        crossing_->setMarkerSize(9);
        crossing_->setColor(Qt::transparent);
        crossing_->setBorderColor(kTangentColour);
    }
    const TangentMethod::Line lines[] = {result.before, result.after, result.middle};
    for (int i = 0; i < 3; ++i)
        lines_[i]->replace({QPointF(result.drawFromMl, lines[i].PH(result.drawFromMl)),
                            QPointF(result.drawToMl, lines[i].PH(result.drawToMl))});
    crossing_->replace({QPointF(result.volumeMl, result.pH)});
    if (Shown())
        return;
    // The chart takes the series; removing them hands them back.
    QList<QXYSeries*> all{crossing_.data()};
    for (const QPointer<QLineSeries>& line : lines_)
        all.prepend(line.data());
    for (QXYSeries* series : all) {
        chart->addSeries(series);
        series->attachAxis(chart_.BottomAxis());
        series->attachAxis(chart_.LeftAxis());
    }
    RecordChart::TidyLegend(chart);
}

void TangentCommands::Hide()
{
    if (!Shown())
        return;
    QChart* chart = chart_.chart();
    QList<QXYSeries*> all{crossing_.data()};
    for (const QPointer<QLineSeries>& line : lines_)
        all.append(line.data());
    for (QXYSeries* series : all) {
        chart->removeSeries(series);
        series->setParent(this);
    }
    RecordChart::TidyLegend(chart);
}
