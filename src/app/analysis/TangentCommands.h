#pragma once

#include "data/TangentMethod.h"

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

class MeasurementRecord;
class RecordChart;

// "Méthode des &tangentes": the parallel tangents found by TangentMethod drawn on Chart1 (the
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

    TangentCommands(MeasurementRecord& record, RecordChart& chart, StatusSetter status, PointsReader points,
                    QObject* parent = nullptr);

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
    // Owned by the chart once added to it; QPointer because the chart may go first.
    QList<QPointer<QLineSeries>> lines_;
    QPointer<QScatterSeries> crossing_;
    std::optional<TangentMethod::Result> result_;
};
