#include "data/PointTableExport.h"

#include "data/ConvertError.h"
#include "data/MeasurementRecord.h"
#include "data/MeasurementTextIo.h"

#include <gtest/gtest.h>

namespace {

TEST(PointTableExport, CsvBytesForFrenchSpreadsheets)
{
    // After a run or an open: volumes in mL with the file's resolution, pH cells unchanged.
    MeasurementRecord opened;
    MeasurementTextIo::FillTableFromText(opened, QStringLiteral("3,512\t0,000000\r3,530\t0,000750\r"
                                                                "10,124\t0,012346\r"));
    EXPECT_EQ(PointTableExport::CsvBytes(PointTableExport::FromRecord(opened)),
              QByteArray("\xEF\xBB\xBFVolume (mL);pH\r\n0,000;3,512\r\n0,750;3,530\r\n12,346;10,120\r\n"));

    // During a run: the time of each sample instead of the volume.
    MeasurementRecord running;
    running.ResetRecord();
    running.SetChartTitles(true);
    running.AppendSample(3.5);
    running.AppendSample(10.1236);
    EXPECT_EQ(PointTableExport::CsvBytes(PointTableExport::FromRecord(running)),
              QByteArray("\xEF\xBB\xBFTemps (s);pH\r\n0;3,500\r\n1,5;10,124\r\n"));

    // A volume that does not read stops the export before anything is written.
    opened.SetCell(MeasurementRecord::ColVolume, 2, QStringLiteral("0.00075"));
    EXPECT_THROW(PointTableExport::FromRecord(opened), ConvertError);
}

}  // namespace
