#pragma once

#include "data/MeasuredQuantity.h"

#include <QList>
#include <QObject>
#include <QPointF>
#include <QString>

#include <array>

// The one place where measured points live: a grid of cell texts (row 0 the header, rows
// 1..PointCount the points) and PointCount. The numbers exist only as these texts; every
// computation re-reads them, so the formats fix the precision. The grid and the chart of the
// main window are views of this object and keep no copy of their own.
class MeasurementRecord : public QObject {
    Q_OBJECT

public:
    static constexpr int ColPH = 0;
    static constexpr int ColVolume = 1;
    static constexpr int ColTime = 2;
    static constexpr int ColValidation = 3;
    static constexpr int kColumnCount = 4;
    // Newest row kept in view: from the 16th point on, the top row is PointCount - 14.
    static constexpr int kVisibleRows = 15;

    using Row = std::array<QString, kColumnCount>;

    explicit MeasurementRecord(QObject* parent = nullptr);

    int PointCount() const { return pointCount_; }
    void SetPointCount(int count);

    // Grid rows, header included: PointCount + 1, or 2 for a freshly reset record.
    int RowCount() const { return static_cast<int>(rows_.size()); }
    void SetRowCount(int rows);

    // Cell(col, row), as a grid addresses it; empty outside the grid.
    QString Cell(int col, int row) const;
    void SetCell(int col, int row, const QString& text);

    // All grid rows, header first, for readers that go through the whole table.
    const QList<Row>& Rows() const { return rows_; }
    // Replaces the grid and PointCount at once (at least one row, the header): one
    // TableChanged instead of a signal per cell, so a table of 10^6 points fills in linear time.
    void ReplaceTable(QList<Row> rows, int pointCount);

    int TopRow() const { return topRow_; }
    void SetTopRow(int row);

    bool TimeMode() const { return timeMode_; }

    // What the first column holds: its caption (row 0 now, and after each reset) and the
    // format of the samples appended. The cells already there are not rewritten.
    MeasuredQuantity Quantity() const { return quantity_; }
    void SetQuantity(MeasuredQuantity quantity);

    // Empties the chart and the grid, leaves the header row and one empty row, count 0.
    void ResetRecord();
    // Appends one sample of a run: the value in the quantity's run format (pH fixed(5, 3)),
    // nominal time (row - 1) x 1.5 s.
    void AppendSample(double pH);
    // Seconds from the latest sample to a key press, in the validation cell of the last row.
    void SetValidationCell(double seconds);
    // Switches the chart between time mode (during a run) and volume mode.
    void SetChartTitles(bool timeMode);
    // Redraws the chart from the cells in volume mode: X = volume in mL, Y = pH, sorted by X.
    // An empty record leaves the chart alone. A cell that does not read as a number throws
    // ConvertError after the chart has received the points read before it.
    void RebuildChart();
    // Empties the chart without touching the table.
    void ClearChart();

    // Points of the table as the chart draws them in volume mode (mL, pH), in row order.
    // Stops at the first unreadable cell, which `failedText` then holds.
    QList<QPointF> VolumePoints(QString* failedText = nullptr) const;

signals:
    void RecordReset();
    void SampleAppended(int row, double pH);
    // The grid's shape or many cells changed at once; views re-read everything.
    void TableChanged();
    void CellChanged(int col, int row);
    void TopRowChanged(int row);
    void ChartTitlesChanged(bool timeMode);
    // The chart is to show these points in volume mode (ascending X).
    void ChartRebuilt(const QList<QPointF>& points);

private:
    QList<Row> rows_;
    int pointCount_ = 0;
    int topRow_ = 1;
    bool timeMode_ = false;
    MeasuredQuantity quantity_ = MeasuredQuantity::PH;
};
