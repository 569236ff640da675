#include "data/MeasurementRecord.h"

#include "data/ConvertError.h"
#include "data/NumberText.h"
#include "data/RunTiming.h"

#include <algorithm>

MeasurementRecord::MeasurementRecord(QObject* parent)
    : QObject(parent)
    , rows_(2)
{
}

void MeasurementRecord::SetPointCount(int count)
{
    pointCount_ = std::max(0, count);
}

void MeasurementRecord::SetRowCount(int rows)
{
    rows = std::max(1, rows);
    if (rows == RowCount())
        return;
    rows_.resize(rows);
    emit TableChanged();
}

QString MeasurementRecord::Cell(int col, int row) const
{
    if (col < 0 || col >= kColumnCount || row < 0 || row >= RowCount())
        return {};
    return rows_[row][static_cast<std::size_t>(col)];
}

void MeasurementRecord::SetCell(int col, int row, const QString& text)
{
    if (col < 0 || col >= kColumnCount || row < 0)
        return;
    if (row >= RowCount())
        SetRowCount(row + 1);
    rows_[row][static_cast<std::size_t>(col)] = text;
    emit CellChanged(col, row);
}

void MeasurementRecord::ReplaceTable(QList<Row> rows, int pointCount)
{
    if (rows.isEmpty())
        rows.resize(1);
    rows_ = std::move(rows);
    pointCount_ = std::max(0, pointCount);
    emit TableChanged();
}

void MeasurementRecord::SetTopRow(int row)
{
    row = std::max(1, row);
    if (row == topRow_)
        return;
    topRow_ = row;
    emit TopRowChanged(row);
}

void MeasurementRecord::ResetRecord()
{
    rows_ = QList<Row>(2);
    pointCount_ = 0;
    rows_[0][ColPH] = MeasuredQuantities::TableCaption(quantity_);
    rows_[0][ColVolume] = QStringLiteral("volume en L");
    rows_[0][ColValidation] = QStringLiteral("Acquisition");
    topRow_ = 1;
    emit RecordReset();
    emit TableChanged();
    emit TopRowChanged(topRow_);
}

void MeasurementRecord::AppendSample(double pH)
{
    ++pointCount_;
    rows_.resize(pointCount_ + 1);
    Row& row = rows_[pointCount_];
    const MeasuredQuantities::CellFormat format = MeasuredQuantities::RunCellFormat(quantity_);
    row[ColPH] = NumberText::Fixed(pH, format.precision, format.decimals);
    row[ColTime] = NumberText::General((pointCount_ - 1) * RunTiming::kSamplePeriodS);
    emit SampleAppended(pointCount_, pH);
    if (pointCount_ > kVisibleRows)
        SetTopRow(pointCount_ - (kVisibleRows - 1));
}

void MeasurementRecord::SetQuantity(MeasuredQuantity quantity)
{
    quantity_ = quantity;
    SetCell(ColPH, 0, MeasuredQuantities::TableCaption(quantity));
}

void MeasurementRecord::SetValidationCell(double seconds)
{
    if (pointCount_ < 1)
        return;
    SetCell(ColValidation, pointCount_, NumberText::General(seconds));
}

void MeasurementRecord::SetChartTitles(bool timeMode)
{
    timeMode_ = timeMode;
    emit ChartTitlesChanged(timeMode);
}

QList<QPointF> MeasurementRecord::VolumePoints(QString* failedText) const
{
    QList<QPointF> points;
    points.reserve(pointCount_);
    const int last = std::min(pointCount_, RowCount() - 1);
    for (int r = 1; r <= last; ++r) {
        double volume = 0;
        double pH = 0;
        const Row& row = rows_[r];
        if (!NumberText::TryParse(row[ColVolume], volume)) {
            if (failedText)
                *failedText = row[ColVolume];
            break;
        }
        if (!NumberText::TryParse(row[ColPH], pH)) {
            if (failedText)
                *failedText = row[ColPH];
            break;
        }
        points.append(QPointF(volume * 1000.0, pH));
    }
    return points;
}

void MeasurementRecord::RebuildChart()
{
    if (pointCount_ == 0)
        return;
    QString failed;
    bool ok = true;
    QList<QPointF> points = VolumePoints(&failed);
    if (points.size() < std::min(pointCount_, RowCount() - 1))
        ok = false;
    const auto byX = [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); };
    // Tables of a run or a file are in volume order already.
    if (!std::is_sorted(points.begin(), points.end(), byX))
        std::stable_sort(points.begin(), points.end(), byX);
    emit ChartRebuilt(points);
    if (!ok)
        throw ConvertError(failed);
}

void MeasurementRecord::ClearChart()
{
    emit ChartRebuilt({});
}
