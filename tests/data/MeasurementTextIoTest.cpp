#include "MeasurementRecord.h"
#include "MeasurementTextIo.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using R = MeasurementRecord;
using namespace MeasurementTextIo;

QString Text(const char* latin1)
{
    return QString::fromLatin1(latin1);
}

// A record as a run leaves it: pH from AppendSample, volumes written afterwards.
void FillAsRun(R& record, const std::vector<std::pair<double, const char*>>& points)
{
    record.ResetRecord();
    for (const auto& [pH, volume] : points) {
        record.AppendSample(pH);
        record.SetCell(R::ColVolume, record.PointCount(), Text(volume));
    }
}

struct ReadCase {
    const char* text;
    qsizetype start;
    NumberRead expected;
    double value;
    qsizetype end;
};

TEST(MeasurementTextIoTest, ReadNextNumber_ReadsFieldsUpToTabOrCr)
{
    const ReadCase cases[] = {
        {"7,123\t0,000750\r", 0, NumberRead::Number, 7.123, 6},
        {"7,123\t0,000750\r", 6, NumberRead::Number, 0.00075, 15},
        {"\r\r\r", 0, NumberRead::EndOfData, 0, 0},
        {"\t1\r", 0, NumberRead::EndOfData, 0, 0},
        {"", 0, NumberRead::EndOfData, 0, 0},
        {" 7,5 \t", 0, NumberRead::Number, 7.5, 6},
        {"-1,5E2\r", 0, NumberRead::Number, -150, 7},
        {"\n3,530\t", 0, NumberRead::Unreadable, 0, 7},
        {"7.123\t", 0, NumberRead::Unreadable, 0, 6},
        {"abc\r", 0, NumberRead::Unreadable, 0, 4},
        // Twelve characters still make a field; the thirteenth without a separator does not.
        {"1,0000000000\t", 0, NumberRead::Number, 1.0, 13},
        {"1,00000000000\t", 0, NumberRead::Unreadable, 0, 0},
        // The end of the text ends the last field.
        {"7,25", 0, NumberRead::Number, 7.25, 4},
        {"7,25", 4, NumberRead::EndOfData, 0, 4},
    };
    for (const auto& c : cases) {
        qsizetype position = c.start;
        double value = -99;
        const NumberRead read = ReadNextNumber(Text(c.text), position, value);
        SCOPED_TRACE(c.text);
        EXPECT_EQ(read, c.expected);
        EXPECT_EQ(position, c.end);
        if (read == NumberRead::Number || read == NumberRead::Unreadable)
            EXPECT_DOUBLE_EQ(value, c.value);
        else
            EXPECT_EQ(value, -99);
    }
}

TEST(MeasurementTextIoTest, BuildMeasurementText_CopiesCellTextsAndEndsWithThreeCr)
{
    R record;
    EXPECT_EQ(BuildMeasurementText(record), Text("\r\r\r"));
    FillAsRun(record, {{3.512, "0,000000"}, {10.1236, "0,000750"}});
    EXPECT_EQ(BuildMeasurementText(record), Text("3,512\t0,000000\r10,124\t0,000750\r\r\r\r"));
}

TEST(MeasurementTextIoTest, FillTableFromText_RewritesNumbersAndMarksTheHeader)
{
    R record;
    record.ResetRecord();
    for (int i = 0; i < 5; ++i)
        record.AppendSample(7.0);
    record.SetValidationCell(0.5);
    const FillResult result = FillTableFromText(record, Text("10,124\t0,00075\r7,1234\t0,0123456\r\r\r\r"));
    EXPECT_EQ(result.pointCount, 2);
    EXPECT_FALSE(result.unreadable);
    EXPECT_EQ(record.PointCount(), 2);
    EXPECT_EQ(record.RowCount(), 3);
    EXPECT_EQ(record.Cell(R::ColPH, 1), Text("10,120"));
    EXPECT_EQ(record.Cell(R::ColVolume, 1), Text("0,000750"));
    EXPECT_EQ(record.Cell(R::ColPH, 2), Text("7,123"));
    EXPECT_EQ(record.Cell(R::ColVolume, 2), Text("0,012346"));
    for (int r = 1; r <= 2; ++r) {
        EXPECT_TRUE(record.Cell(R::ColTime, r).isEmpty());
        EXPECT_TRUE(record.Cell(R::ColValidation, r).isEmpty());
    }
    EXPECT_EQ(record.Cell(R::ColValidation, 0), Text("Calcul"));
    EXPECT_EQ(record.Cell(R::ColPH, 0), Text("pH"));
}

TEST(MeasurementTextIoTest, FillTableFromText_OnAFreshRecordLeavesThePhAndVolumeHeadersEmpty)
{
    R record;
    FillTableFromText(record, Text("7\t0\r\r\r\r"));
    EXPECT_TRUE(record.Cell(R::ColPH, 0).isEmpty());
    EXPECT_TRUE(record.Cell(R::ColVolume, 0).isEmpty());
    EXPECT_EQ(record.Cell(R::ColValidation, 0), Text("Calcul"));
}

TEST(MeasurementTextIoTest, FillTableFromText_CrLfLinesLoadOnePointAndReportTheNumber)
{
    R record;
    const FillResult result = FillTableFromText(record, Text("3,512\t0,000000\r\n3,530\t0,000750\r\n"));
    EXPECT_EQ(result.pointCount, 1);
    EXPECT_TRUE(result.unreadable);
    EXPECT_EQ(record.PointCount(), 1);
    EXPECT_EQ(UnreadableNumberMessage(), QStringLiteral("Erreur de lecture de nombre réel."));
}

TEST(MeasurementTextIoTest, FillTableFromText_APhWithoutVolumeStaysUncountedBelowThePoints)
{
    R record;
    const FillResult result = FillTableFromText(record, Text("7,000\t0,001\r8,000\tx\r9\t0\r"));
    EXPECT_EQ(result.pointCount, 1);
    EXPECT_TRUE(result.unreadable);
    EXPECT_EQ(record.RowCount(), 3);
    EXPECT_EQ(record.Cell(R::ColPH, 2), Text("8,000"));
    EXPECT_TRUE(record.Cell(R::ColVolume, 2).isEmpty());
}

TEST(MeasurementTextIoTest, FillTableFromText_EndsSoundlyOnOddBodies)
{
    struct Case {
        const char* text;
        int points;
        bool unreadable;
    };
    const Case cases[] = {
        {"7\t0,001", 1, false},            // no separator after the last field
        {"7\t0,001\r8", 1, false},         // a pH at the very end, no volume
        {"1234567890123\t0\r", 0, true},   // a field too long to be a number
        {"\r7\t0\r", 0, false},            // data starting with CR: no points
        {"", 0, false},
    };
    for (const auto& c : cases) {
        R record;
        const FillResult result = FillTableFromText(record, Text(c.text));
        SCOPED_TRACE(c.text);
        EXPECT_EQ(result.pointCount, c.points);
        EXPECT_EQ(result.unreadable, c.unreadable);
        EXPECT_EQ(record.PointCount(), c.points);
    }
}

TEST(MeasurementTextIoTest, FillTableFromText_ReplacesTheTableWithOneSignal)
{
    R record;
    QString text;
    for (int i = 0; i < 1000; ++i)
        text += Text("7,000\t0,001000\r");
    QSignalSpy table(&record, &R::TableChanged);
    QSignalSpy cells(&record, &R::CellChanged);
    FillTableFromText(record, text);
    EXPECT_EQ(record.PointCount(), 1000);
    EXPECT_EQ(table.count(), 1);
    EXPECT_EQ(cells.count(), 0);
}

TEST(MeasurementTextIoTest, FillTableFromText_EmptiesOldRowsWhenNothingIsRead)
{
    R record;
    FillTableFromText(record, Text("7\t0\r8\t0,001\r9\t0,002\r"));
    FillTableFromText(record, Text("\r\r\r"));
    EXPECT_EQ(record.PointCount(), 0);
    for (int r = 1; r < record.RowCount(); ++r)
        EXPECT_TRUE(record.Cell(R::ColPH, r).isEmpty()) << r;
}

TEST(MeasurementRecordBulkTest, ReplaceTable_SetsRowsAndCountAndKeepsAHeaderRow)
{
    R record;
    QList<R::Row> rows(3);
    rows[1][R::ColPH] = Text("7,000");
    rows[2][R::ColPH] = Text("8,000");
    QSignalSpy table(&record, &R::TableChanged);
    record.ReplaceTable(rows, 2);
    EXPECT_EQ(record.PointCount(), 2);
    EXPECT_EQ(record.RowCount(), 3);
    EXPECT_EQ(record.Cell(R::ColPH, 2), Text("8,000"));
    EXPECT_EQ(table.count(), 1);
    record.ReplaceTable({}, -1);
    EXPECT_EQ(record.RowCount(), 1);
    EXPECT_EQ(record.PointCount(), 0);
}

TEST(MeasurementRecordBulkTest, ClearChart_EmptiesTheChartAndLeavesTheTable)
{
    R record;
    record.AppendSample(7.0);
    QSignalSpy chart(&record, &R::ChartRebuilt);
    record.ClearChart();
    ASSERT_EQ(chart.count(), 1);
    EXPECT_TRUE(chart.at(0).at(0).value<QList<QPointF>>().isEmpty());
    EXPECT_EQ(record.PointCount(), 1);
}

}  // namespace
