#pragma once

#include "data/ConductimetricAnalysis.h"
#include "data/HeaderValues.h"

#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

class QDialog;
class QGraphicsSimpleTextItem;
class QLineSeries;
class QScatterSeries;
class RecordChart;

// The equivalence of a conductivity record: the two straight lines, where they meet, Ve with
// its standard uncertainty and Ca, drawn on Chart1 with the curve corrected for the dilution
// (or a word on the chart that Va is unknown). The lines' ranges are found from the points or
// typed by the student ("Domaines des droites..."). The computations are ConductimetricAnalysis's.
class ConductimetryCommands : public QObject {
    Q_OBJECT

public:
    using StatusSetter = std::function<void(const QString&)>;
    using PointsReader = std::function<QList<QPointF>()>;
    using QuantitiesProvider = std::function<HeaderValues()>;
    using Ranges = std::pair<ConductimetricAnalysis::Range, ConductimetricAnalysis::Range>;
    // Shows the ranges' dialog; true when accepted.
    using DialogRunner = std::function<bool(QDialog&)>;

    ConductimetryCommands(RecordChart& chart, StatusSetter status, PointsReader points, QObject* parent = nullptr);

    void SetQuantities(QuantitiesProvider quantities) { quantities_ = std::move(quantities); }
    void SetDialogRunner(DialogRunner runner) { dialogRunner_ = std::move(runner); }

    // The student's ranges, or none for the automatic break.
    void SetRanges(std::optional<Ranges> ranges);
    const std::optional<Ranges>& HandRanges() const { return ranges_; }

    // The analysis of the record as it stands (nothing drawn, nothing said).
    ConductimetricAnalysis::Outcome Compute() const;
    // "&Point d'équivalence": the status text and the drawing, or the refusal.
    void PointEquivalenceClick();
    // "Domaines des droites (conductimétrie)...": the two ranges in fields, "Automatique" to
    // go back to the break found from the points.
    void DomainesClick();
    // The copied lines: the results, then Ca when Cb and Va are known; empty with the
    // refusal in the status when there is no result.
    QString ClipboardLines();
    // The report's lines, in the order of the copy; empty when there is no result.
    QStringList ReportLines() const;
    // The record changed: what was drawn no longer belongs to it.
    void Clear();

    QLineSeries* CorrectedSeries() const { return corrected_; }
    QLineSeries* BeforeLine() const { return before_; }
    QLineSeries* AfterLine() const { return after_; }
    QLineSeries* Mark() const { return mark_; }
    // "Va inconnu : ..." on the chart; null until first needed.
    QGraphicsSimpleTextItem* UncorrectedNotice() const { return uncorrected_; }
    // The status text of the last PointEquivalenceClick.
    const std::optional<ConductimetricAnalysis::Result>& Last() const { return last_; }

private:
    std::optional<double> VaMl() const;
    QString Unit() const;
    void Draw(const ConductimetricAnalysis::Result& result, const QList<QPointF>& points);
    void Place(QLineSeries* series, bool shown);

    RecordChart& chart_;
    StatusSetter status_;
    PointsReader points_;
    QuantitiesProvider quantities_;
    DialogRunner dialogRunner_;
    std::optional<Ranges> ranges_;
    std::optional<ConductimetricAnalysis::Result> last_;
    QPointer<QLineSeries> corrected_;
    QPointer<QLineSeries> before_;
    QPointer<QLineSeries> after_;
    QPointer<QLineSeries> mark_;
    QGraphicsSimpleTextItem* uncorrected_ = nullptr;
};
