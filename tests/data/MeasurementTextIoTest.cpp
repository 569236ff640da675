#include "data/MeasurementRecord.h"
#include "data/MeasurementTextIo.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using R = MeasurementRecord;
using namespace MeasurementTextIo;

QString L1(const char* latin1)
{
    return QString::fromLatin1(latin1);
}

TEST(MeasurementTextIoTest, ReadNextNumber_ReadsFieldsUpToTabOrCr)
{
    struct Case {
        const char* text;
        qsizetype start;
        NumberRead expected;
        double value;
        qsizetype end;
    };
    const Case cases[] = {
        {"7,123\t0,000750\r", 6, NumberRead::Number, 0.00075, 15},
        {" -1,5E2 \r", 0, NumberRead::Number, -150, 9},
        {"\r\r\r", 0, NumberRead::EndOfData, -99, 0},
        {"", 0, NumberRead::EndOfData, -99, 0},
        {"\n3,530\t", 0, NumberRead::Unreadable, 0, 7},  // LF of a CR LF line end
        {"7.123\t", 0, NumberRead::Unreadable, 0, 6},
        {"1,0000000000\t", 0, NumberRead::Number, 1.0, 13},  // twelve characters: still a field
        {"1,00000000000\t", 0, NumberRead::Unreadable, 0, 0},  // thirteen: reading ends
        {"7,25", 0, NumberRead::Number, 7.25, 4},  // the end of the text ends the field
        {"7,25", 4, NumberRead::EndOfData, -99, 4},
    };
    for (const auto& c : cases) {
        qsizetype position = c.start;
        double value = -99;
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadNextNumber(L1(c.text), position, value), c.expected);
        EXPECT_EQ(position, c.end);
        EXPECT_DOUBLE_EQ(value, c.value);
    }
}

TEST(MeasurementTextIoTest, BuildThenFill_CopiesCellTextsThenRewritesThemAsFixed)
{
    R record;
    EXPECT_EQ(BuildMeasurementText(record), L1("\r\r\r"));
    record.ResetRecord();
    record.AppendSample(10.1236);
    record.AppendSample(7.1234);
    record.SetCell(R::ColVolume, 1, L1("0,00075"));
    record.SetCell(R::ColVolume, 2, L1("0,0123456"));
    record.SetValidationCell(0.5);
    const QString text = BuildMeasurementText(record);
    EXPECT_EQ(text, L1("10,124\t0,00075\r7,123\t0,0123456\r\r\r\r"));

    QSignalSpy table(&record, &R::TableChanged);
    QSignalSpy cells(&record, &R::CellChanged);
    const FillResult result = FillTableFromText(record, text);
    EXPECT_EQ(result.pointCount, 2);
    EXPECT_FALSE(result.unreadable);
    EXPECT_EQ(record.PointCount(), 2);
    EXPECT_EQ(record.RowCount(), 3);
    EXPECT_EQ(BuildMeasurementText(record), L1("10,120\t0,000750\r7,123\t0,012346\r\r\r\r"));
    EXPECT_TRUE(record.Cell(R::ColTime, 2).isEmpty());
    EXPECT_TRUE(record.Cell(R::ColValidation, 2).isEmpty());
    EXPECT_EQ(record.Cell(R::ColValidation, 0), L1("Calcul"));
    EXPECT_EQ(record.Cell(R::ColPH, 0), L1("pH"));
    // The whole table in one step, whatever its size.
    EXPECT_EQ(table.count(), 1);
    EXPECT_EQ(cells.count(), 0);

    R fresh;
    FillTableFromText(fresh, text);
    EXPECT_TRUE(fresh.Cell(R::ColPH, 0).isEmpty());
    EXPECT_TRUE(fresh.Cell(R::ColVolume, 0).isEmpty());
}

TEST(MeasurementTextIoTest, FillTableFromText_EndsSoundlyOnOddBodies)
{
    struct Case {
        const char* text;
        int points;
        int rows;
        bool unreadable;
    };
    const Case cases[] = {
        {"3,512\t0,000000\r\n3,530\t0,000750\r\n", 1, 2, true},  // CR LF: one point
        {"7\t0,001\r8\tx\r9\t0\r", 1, 3, true},  // a pH without volume: its row stays, uncounted
        {"7\t0,001", 1, 2, false},             // no separator after the last field
        {"7\t0,001\r8", 1, 3, false},          // a pH at the very end
        {"1234567890123\t0\r", 0, 2, true},    // a field too long to be a number
        {"\r7\t0\r", 0, 2, false},             // data starting with CR
    };
    for (const auto& c : cases) {
        R record;
        const FillResult result = FillTableFromText(record, L1(c.text));
        SCOPED_TRACE(c.text);
        EXPECT_EQ(result.pointCount, c.points);
        EXPECT_EQ(record.PointCount(), c.points);
        EXPECT_EQ(record.RowCount(), c.rows);
        EXPECT_EQ(result.unreadable, c.unreadable);
    }
    EXPECT_EQ(UnreadableNumberMessage(), QStringLiteral("Erreur de lecture de nombre réel."));
}

TEST(MeasurementRecordBulkTest, ReplaceTableAndClearChart_OneSignalEach)
{
    R record;
    QList<R::Row> rows(3);
    rows[2][R::ColPH] = L1("8,000");
    QSignalSpy table(&record, &R::TableChanged);
    record.ReplaceTable(rows, 2);
    EXPECT_EQ(record.PointCount(), 2);
    EXPECT_EQ(record.Cell(R::ColPH, 2), L1("8,000"));
    EXPECT_EQ(table.count(), 1);
    record.ReplaceTable({}, -1);
    EXPECT_EQ(record.RowCount(), 1);
    EXPECT_EQ(record.PointCount(), 0);

    QSignalSpy chart(&record, &R::ChartRebuilt);
    record.ClearChart();
    ASSERT_EQ(chart.count(), 1);
    EXPECT_TRUE(chart.at(0).at(0).value<QList<QPointF>>().isEmpty());
}

}  // namespace
