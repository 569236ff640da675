#pragma once

#include "data/TangentMethod.h"
#include "data/TitrationAnalysis.h"

#include <QLineSeries>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QScatterSeries>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class MeasurementRecord;
class RecordChart;

// "Méthode des &tangentes": the parallel tangents found by TangentMethod, around the jump the
// student chooses when the curve has several (the steepest unless told otherwise), drawn on Chart1 (the
// two tangents, the middle line dashed and a ring where it crosses the curve, on the record's
// axes, so that every zoom and pan carries them), the result in the status bar, and its lines
// for the copy and the lab report. A change of the record takes the construction away: it
// belonged to the points it was drawn on.
class TangentCommands : public QObject {
    Q_OBJECT

public:
    using StatusSetter = std::function<void(const QString&)>;
    // The record's points in volume mode; throws at an unreadable cell.
    using PointsReader = std::function<QList<QPointF>()>;
    // Asked which of several jumps to work on, with the steepest's index as the default; empty
    // when the student cancels.
    using JumpChooser = std::function<std::optional<std::size_t>(
        const std::vector<TitrationAnalysis::Equivalence>& jumps, std::size_t steepest)>;

    TangentCommands(MeasurementRecord& record, RecordChart& chart, StatusSetter status, PointsReader points,
                    QObject* parent = nullptr);

    // A list to choose from, over the chart's window, until set.
    void SetJumpChooser(JumpChooser chooser) { chooser_ = std::move(chooser); }
    // "Équivalence 2 : Ve ≈ 19,95 mL (le saut le plus raide)": the chooser's rows.
    static QStringList JumpCaptions(const std::vector<TitrationAnalysis::Equivalence>& jumps, std::size_t steepest);

    // The last construction, until the record changes.
    const std::optional<TangentMethod::Result>& LastResult() const { return result_; }
    // The drawn lines (before, after, middle) and the crossing; null until first drawn.
    QList<QLineSeries*> Lines() const;
    QScatterSeries* Crossing() const { return crossing_; }
    bool Shown() const;
    // For "Copier les résultats" and the lab report; empty when the method has not run on
    // these points.
    QString ClipboardLines() const;
    QStringList ReportLines() const;

public slots:
    void MethodedestangentesClick();

private:
    void OnRecordChanged();
    void Draw(const TangentMethod::Result& result);
    void Hide();

    RecordChart& chart_;
    StatusSetter status_;
    PointsReader points_;
    JumpChooser chooser_;
    // Owned by the chart once added to it; QPointer because the chart may go first.
    QList<QPointer<QLineSeries>> lines_;
    QPointer<QScatterSeries> crossing_;
    std::optional<TangentMethod::Result> result_;
};
