#include "data/ConvertError.h"
#include "data/MeasurementRecord.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using R = MeasurementRecord;

TEST(MeasurementRecordTest, ResetRecord_LeavesHeaderAndOneEmptyRow)
{
    R record;
    record.AppendSample(7.0);
    record.AppendSample(7.1);
    record.ResetRecord();
    EXPECT_EQ(record.PointCount(), 0);
    EXPECT_EQ(record.RowCount(), 2);
    EXPECT_EQ(record.Cell(R::ColPH, 0), QStringLiteral("pH"));
    EXPECT_EQ(record.Cell(R::ColVolume, 0), QStringLiteral("volume en L"));
    EXPECT_EQ(record.Cell(R::ColTime, 0), QString());
    EXPECT_EQ(record.Cell(R::ColValidation, 0), QStringLiteral("Acquisition"));
    for (int c = 0; c < R::kColumnCount; ++c)
        EXPECT_TRUE(record.Cell(c, 1).isEmpty());
}

TEST(MeasurementRecordTest, AppendSample_WritesPhAndNominalTimes)
{
    R record;
    record.ResetRecord();
    record.AppendSample(3.51234);
    record.AppendSample(10.1236);
    record.AppendSample(4.0);
    EXPECT_EQ(record.PointCount(), 3);
    EXPECT_EQ(record.RowCount(), 4);
    EXPECT_EQ(record.Cell(R::ColTime, 1), QStringLiteral("0"));
    EXPECT_EQ(record.Cell(R::ColTime, 2), QStringLiteral("1,5"));
    EXPECT_EQ(record.Cell(R::ColTime, 3), QStringLiteral("3"));
    EXPECT_EQ(record.Cell(R::ColPH, 1), QStringLiteral("3,512"));
    EXPECT_EQ(record.Cell(R::ColPH, 2), QStringLiteral("10,124"));
    EXPECT_EQ(record.Cell(R::ColPH, 3), QStringLiteral("4,000"));
    EXPECT_TRUE(record.Cell(R::ColVolume, 2).isEmpty());
}

TEST(MeasurementRecordTest, AppendSample_ScrollsFromTheSixteenthPoint)
{
    R record;
    record.ResetRecord();
    for (int i = 0; i < 15; ++i)
        record.AppendSample(7.0);
    EXPECT_EQ(record.TopRow(), 1);
    record.AppendSample(7.0);
    EXPECT_EQ(record.TopRow(), 2);
    record.AppendSample(7.0);
    EXPECT_EQ(record.TopRow(), 3);
}

TEST(MeasurementRecordTest, SetValidationCell_WritesSecondsInTheLastRowOnly)
{
    R record;
    record.ResetRecord();
    record.SetValidationCell(0.8);
    EXPECT_TRUE(record.Cell(R::ColValidation, 1).isEmpty());
    record.AppendSample(7.0);
    record.AppendSample(7.0);
    record.SetValidationCell(0.8);
    record.SetValidationCell(1.25);
    EXPECT_TRUE(record.Cell(R::ColValidation, 1).isEmpty());
    EXPECT_EQ(record.Cell(R::ColValidation, 2), QStringLiteral("1,25"));
}

TEST(MeasurementRecordTest, RebuildChart_DrawsVolumesInMillilitresInAscendingOrder)
{
    R record;
    record.SetRowCount(4);
    record.SetPointCount(3);
    const char* cells[][2] = {{"3,512", "0,012000"}, {"3,530", "0,000750"}, {"3,561", "0,001500"}};
    for (int r = 0; r < 3; ++r) {
        record.SetCell(R::ColPH, r + 1, QString::fromLatin1(cells[r][0]));
        record.SetCell(R::ColVolume, r + 1, QString::fromLatin1(cells[r][1]));
    }
    QSignalSpy spy(&record, &R::ChartRebuilt);
    record.RebuildChart();
    ASSERT_EQ(spy.count(), 1);
    const auto points = spy.at(0).at(0).value<QList<QPointF>>();
    ASSERT_EQ(points.size(), 3);
    EXPECT_DOUBLE_EQ(points[0].x(), 0.75);
    EXPECT_DOUBLE_EQ(points[1].x(), 1.5);
    EXPECT_DOUBLE_EQ(points[2].x(), 12.0);
    EXPECT_DOUBLE_EQ(points[2].y(), 3.512);
}

TEST(MeasurementRecordTest, RebuildChart_OnEmptyRecordLeavesTheChartAlone)
{
    R record;
    record.ResetRecord();
    QSignalSpy spy(&record, &R::ChartRebuilt);
    record.RebuildChart();
    EXPECT_EQ(spy.count(), 0);
}

TEST(MeasurementRecordTest, RebuildChart_BadCellDrawsWhatCameBeforeAndThrows)
{
    R record;
    record.SetRowCount(3);
    record.SetPointCount(2);
    record.SetCell(R::ColPH, 1, QStringLiteral("7,000"));
    record.SetCell(R::ColVolume, 1, QStringLiteral("0,001000"));
    record.SetCell(R::ColPH, 2, QStringLiteral("7.500"));
    record.SetCell(R::ColVolume, 2, QStringLiteral("0,002000"));
    QSignalSpy spy(&record, &R::ChartRebuilt);
    try {
        record.RebuildChart();
        ADD_FAILURE() << "no error";
    } catch (const ConvertError& e) {
        EXPECT_EQ(e.Text(), QStringLiteral("'7.500' n'est pas une valeur en virgule flottante correcte"));
    }
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).value<QList<QPointF>>().size(), 1);
    // The table is untouched and the next read still uses ','.
    EXPECT_EQ(record.Cell(R::ColPH, 2), QStringLiteral("7.500"));
    record.SetCell(R::ColPH, 2, QStringLiteral("7,500"));
    record.RebuildChart();
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(1).at(0).value<QList<QPointF>>().size(), 2);
}

}  // namespace
