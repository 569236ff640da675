#include "data/ConvertError.h"
#include "data/MeasurementRecord.h"
#include "data/VolumeReconstruction.h"

#include <QSignalSpy>

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

namespace {

using R = MeasurementRecord;

// A run of `samples` rows with the given validation texts ("" for none), as the run leaves it.
void FillRun(R& record, int samples, const std::map<int, const char*>& marks)
{
    record.ResetRecord();
    for (int i = 0; i < samples; ++i)
        record.AppendSample(7.0 + i * 0.1);
    for (const auto& [row, text] : marks)
        record.SetCell(R::ColValidation, row, QString::fromLatin1(text));
}

QStringList Volumes(const R& record)
{
    QStringList out;
    for (int r = 1; r <= record.PointCount(); ++r)
        out << record.Cell(R::ColVolume, r);
    return out;
}

TEST(VolumeReconstructionTest, WorkedExampleDropsRowsAfterTheLastPress)
{
    R record;
    FillRun(record, 8, {{3, "0,8"}, {6, "0,6"}});
    QSignalSpy rebuilt(&record, &R::ChartRebuilt);
    VolumeReconstruction::ReconstructVolumes(record);
    const char* expected[] = {"0,000000", "0,000395", "0,000789", "0,001163", "0,001512", "0,001860"};
    QStringList expectedList;
    for (const char* e : expected)
        expectedList << QString::fromLatin1(e);
    EXPECT_EQ(Volumes(record), expectedList);
    EXPECT_EQ(record.PointCount(), 6);
    EXPECT_EQ(record.RowCount(), 7);
    EXPECT_EQ(record.Cell(R::ColValidation, 0), QStringLiteral("Calcul"));
    EXPECT_TRUE(record.Cell(R::ColPH, 7).isEmpty());
    ASSERT_EQ(rebuilt.count(), 1);
    EXPECT_NEAR(rebuilt.at(0).at(0).value<QList<QPointF>>().back().x(), 1.86, 1e-9);
}

TEST(VolumeReconstructionTest, PressInTheLastRowKeepsEveryRow)
{
    R record;
    FillRun(record, 5, {{5, "0,5"}});
    VolumeReconstruction::ReconstructVolumes(record);
    EXPECT_EQ(record.PointCount(), 5);
    // The marked row gets the volume reached at its nominal time: 6 / 6.5 of the step.
    EXPECT_EQ(record.Cell(R::ColVolume, 5), QStringLiteral("0,000923"));
}

TEST(VolumeReconstructionTest, PressNotLaterThanThePreviousUsesOneSecond)
{
    R record;
    // Row 2 pressed at 1,5 + 1 = 2,5 s; row 3 marked -1 s, at 2 s: dT <= 0.
    FillRun(record, 4, {{2, "1"}, {3, "-1"}});
    VolumeReconstruction::ReconstructVolumes(record);
    ASSERT_EQ(record.PointCount(), 3);
    // Segment 2: prevV 0,001 + 0,001 x (3 - 2,5) at row 3.
    EXPECT_EQ(record.Cell(R::ColVolume, 3), QStringLiteral("0,001500"));
}

TEST(VolumeReconstructionTest, NoPressLeavesAnEmptyTableAndChart)
{
    R record;
    FillRun(record, 6, {});
    QSignalSpy rebuilt(&record, &R::ChartRebuilt);
    VolumeReconstruction::ReconstructVolumes(record);
    EXPECT_EQ(record.PointCount(), 0);
    ASSERT_EQ(rebuilt.count(), 1);
    EXPECT_TRUE(rebuilt.at(0).at(0).value<QList<QPointF>>().isEmpty());
}

TEST(VolumeReconstructionTest, SecondCallOnlyRebuildsTheChart)
{
    R record;
    FillRun(record, 8, {{3, "0,8"}, {6, "0,6"}});
    VolumeReconstruction::ReconstructVolumes(record);
    const QStringList before = Volumes(record);
    record.SetCell(R::ColValidation, 2, QStringLiteral("0,1"));
    QSignalSpy rebuilt(&record, &R::ChartRebuilt);
    VolumeReconstruction::ReconstructVolumes(record);
    EXPECT_EQ(Volumes(record), before);
    EXPECT_EQ(rebuilt.count(), 1);
}

TEST(VolumeReconstructionTest, UnreadableMarkStopsWithTheConversionError)
{
    R record;
    FillRun(record, 3, {{2, "0.8"}});
    EXPECT_THROW(VolumeReconstruction::ReconstructVolumes(record), ConvertError);
}

TEST(VolumeReconstructionTest, EveryPressCountsSeveralInOneSampleIncluded)
{
    // Sample n of a run ends at 1000 + (n - 1) x 1500 ms; its nominal time is 500 ms earlier.
    const struct {
        const char* name;
        int samples;
        std::vector<std::int64_t> presses;
        std::vector<const char*> volumes;
    } cases[] = {
        // Before the first sample ended: no row to mark. Rows 1-3 rise to the first press
        // (3,8 s); the second press (4,2 s) lifts the level to 2 mL; the third (8,1 s) ends at 3 mL.
        {"two presses in row 3, one in row 6", 8, {500, 4300, 4700, 8600},
         {"0,000000", "0,000395", "0,000789", "0,002077", "0,002462", "0,002846"}},
        {"three presses in row 2, the last rows dropped", 4, {2600, 2900, 3200}, {"0,000000", "0,000714"}},
        // A press at the very end of sample 4 is in row 4.
        {"two presses in row 2, one in row 4", 5, {2600, 3000, 5500},
         {"0,000000", "0,000714", "0,002200", "0,002800"}},
        // The second press of row 3 (4,6 s) comes after row 4's middle (4,5 s): row 4 lies
        // between the first two presses.
        {"second press of a row after the next row's middle", 6, {4800, 5100, 7800},
         {"0,000000", "0,000349", "0,000698", "0,001667", "0,002519"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        R record;
        FillRun(record, c.samples, {});
        std::vector<std::int64_t> ends;
        for (int n = 1; n <= c.samples; ++n)
            ends.push_back(1000 + (n - 1) * 1500);
        VolumeReconstruction::ReconstructVolumes(record, VolumeReconstruction::MarksOfPresses(ends, c.presses, 1000));
        QStringList expected;
        for (const char* v : c.volumes)
            expected << QString::fromLatin1(v);
        EXPECT_EQ(Volumes(record), expected);
        EXPECT_EQ(record.PointCount(), expected.size());
    }
}

}  // namespace
