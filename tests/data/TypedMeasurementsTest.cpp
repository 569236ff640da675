#include "data/MeasurementRecord.h"
#include "data/MeasurementTextIo.h"
#include "data/RecoveryFile.h"
#include "data/TypedMeasurements.h"

#include <gtest/gtest.h>

namespace {

using Q = MeasuredQuantity;
using TypedMeasurements::Field;

TEST(TypedMeasurementsTest, Check_RefusesEachSlipAtItsFieldAndReadsBothSeparators)
{
    struct Case {
        const char* volume;
        const char* value;
        Q quantity;
        bool accepted;
        Field field;
        const char* says;  // part of the refusal
    };
    const Case cases[] = {
        {"12,5", "4,261", Q::ConductivityMilliSiemens, true, Field::Volume, ""},
        {" 3.5 ", "7.02", Q::PH, true, Field::Volume, ""},
        {"0", "0", Q::ConductivityMicroSiemens, true, Field::Volume, ""},
        {"abc", "7", Q::PH, false, Field::Volume, "« abc » n'est pas un nombre"},
        {"", "7", Q::PH, false, Field::Volume, "n'est pas un nombre"},
        {"-1", "7", Q::PH, false, Field::Volume, "négatif"},
        {"2500", "7", Q::PH, false, Field::Volume, "1000 mL"},
        {"nan", "7", Q::PH, false, Field::Volume, "n'est pas un nombre"},
        {"5", "4,2x", Q::ConductivityMilliSiemens, false, Field::Value, "Conductivité : « 4,2x »"},
        {"5", "-0,01", Q::ConductivityMilliSiemens, false, Field::Value, "conductivité ne peut pas être négative"},
        {"5", "2000", Q::ConductivityMilliSiemens, false, Field::Value, "1000 mS/cm"},
        {"5", "2000", Q::ConductivityMicroSiemens, true, Field::Volume, ""},
        {"5", "-0,5", Q::PH, true, Field::Volume, ""},
        {"5", "70", Q::PH, false, Field::Value, "Un pH se lit entre"},
        {"5", "", Q::PH, false, Field::Value, "pH : «  » n'est pas un nombre"},
    };
    for (const Case& c : cases) {
        const auto checked = TypedMeasurements::Check(QString::fromUtf8(c.volume), QString::fromUtf8(c.value), c.quantity);
        SCOPED_TRACE(std::string(c.volume) + " / " + c.value);
        EXPECT_EQ(checked.point.has_value(), c.accepted) << checked.refusal.toStdString();
        if (c.accepted)
            continue;
        EXPECT_EQ(checked.field, c.field);
        EXPECT_TRUE(checked.refusal.contains(QString::fromUtf8(c.says))) << checked.refusal.toStdString();
    }
    const auto read = TypedMeasurements::Check(QStringLiteral(" 3.5 "), QStringLiteral("7.02"), Q::PH);
    EXPECT_DOUBLE_EQ(read.point->volumeMl, 3.5);
    EXPECT_DOUBLE_EQ(read.point->value, 7.02);
}

TEST(TypedMeasurementsTest, NextVolume_AddsTheLastStepOrOneMillilitre)
{
    using P = TypedMeasurements::Point;
    struct Case {
        QList<P> typed;
        const char* proposed;
    };
    const Case cases[] = {
        {{}, "0"},
        {{{0, 1}}, "1"},
        {{{0, 1}, {0.5, 1}}, "1"},
        {{{0.1, 1}, {0.3, 1}}, "0,5"},
        {{{10, 1}, {12.5, 1}}, "15"},
        {{{10, 1}, {4, 1}}, "5"},  // typed backwards: the default step
    };
    for (const Case& c : cases)
        EXPECT_EQ(TypedMeasurements::VolumeText(TypedMeasurements::NextVolumeMl(c.typed)), QString::fromUtf8(c.proposed));
}

TEST(TypedMeasurementsTest, Rows_InVolumeOrderInTheFileFormatAndReadBackUnchanged)
{
    // Typed out of order, two at the same volume: sorted, ties in typing order.
    const QList<TypedMeasurements::Point> typed{{2, 1234.56}, {0, 12345.6}, {1, 0.4}, {1, 987.66}};
    const auto rows = TypedMeasurements::Rows(typed, Q::ConductivityMicroSiemens);
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0][MeasurementRecord::ColPH], QStringLiteral("σ (µS/cm)"));
    const QStringList values{rows[1][0], rows[2][0], rows[3][0], rows[4][0]};
    EXPECT_EQ(values, (QStringList{QStringLiteral("12345,6"), QStringLiteral("0,4"), QStringLiteral("987,7"), QStringLiteral("1234,6")}));
    EXPECT_EQ(rows[2][MeasurementRecord::ColVolume], QStringLiteral("0,001000"));

    // The text a file holds gives the same cells back in the quantity's format, where the
    // pH's fixed(4, 3) would have lost the digits of 12345,6.
    MeasurementRecord record;
    record.SetQuantity(Q::ConductivityMicroSiemens);
    record.ReplaceTable(rows, 4);
    const QString text = MeasurementTextIo::BuildMeasurementText(record);
    MeasurementRecord reread;
    reread.SetQuantity(Q::ConductivityMicroSiemens);
    MeasurementTextIo::FillTableFromText(reread, text);
    EXPECT_EQ(MeasurementTextIo::BuildMeasurementText(reread), text);
    MeasurementRecord asPH;
    MeasurementTextIo::FillTableFromText(asPH, text);
    EXPECT_NE(asPH.Cell(0, 1), QStringLiteral("12345,6"));
}

TEST(TypedMeasurementsTest, RecoveryFile_KeepsTypedPointsTheirCorrectionsRemovalsAndQuantity)
{
    const QDateTime started = QDateTime::fromMSecsSinceEpoch(1'714'551'300'123);
    QByteArray bytes = RecoveryFile::Header(started) + RecoveryFile::QuantityLine(Q::ConductivityMilliSiemens);
    bytes += RecoveryFile::TypedLine(1, 1000, 0.0, 4.261);
    bytes += RecoveryFile::TypedLine(2, 2000, 1.0, 3.9);
    bytes += RecoveryFile::TypedLine(2, 3000, 1.0, 3.95);  // corrected
    bytes += RecoveryFile::TypedLine(3, 4000, 2.0, 3.6);
    bytes += RecoveryFile::TypedCountLine(2);  // the third removed
    const qsizetype whole = bytes.size();
    bytes += RecoveryFile::TypedLine(3, 5000, 2.0, 3.61);
    const RecoveryFile::Contents c = RecoveryFile::Parse(bytes);
    EXPECT_EQ(c.quantity, Q::ConductivityMilliSiemens);
    ASSERT_EQ(c.typed.size(), 3u);
    EXPECT_DOUBLE_EQ(c.typed[1].value, 3.95);
    EXPECT_DOUBLE_EQ(c.typed[2].value, 3.61);
    EXPECT_EQ(c.PointCount(), 3);
    EXPECT_EQ(c.LastSampleTime(), started.addMSecs(5000));
    // Cut inside the last line: the points before it, the removal included.
    const RecoveryFile::Contents cut = RecoveryFile::Parse(bytes.left(whole + 5));
    EXPECT_TRUE(cut.damaged);
    EXPECT_EQ(cut.typed.size(), 2u);
    // A point numbered beyond the next one is damage, not a point.
    const RecoveryFile::Contents skipped
        = RecoveryFile::Parse(RecoveryFile::Header(started) + RecoveryFile::TypedLine(2, 10, 1.0, 1.0));
    EXPECT_TRUE(skipped.damaged);
    EXPECT_TRUE(skipped.typed.empty());
}

}  // namespace
