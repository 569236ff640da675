#include "acquisition/ElectrodeCalibration.h"
#include "acquisition/KeyFilter.h"
#include "board/SimulatedBench.h"
#include "data/ConvertError.h"
#include "data/NumberText.h"

#include <gtest/gtest.h>

namespace {

// Runs the three presses with the given readings and buffer texts.
ElectrodeCalibration::PressResult Calibrate(ElectrodeCalibration& e, double ua, const char* buffer1, double ub,
                                            const char* buffer2)
{
    e.Press(QString());
    e.ElectrodeVoltage(ua, 0.0);
    e.Press(QString::fromLatin1(buffer1));
    e.ElectrodeVoltage(ub, 0.0);
    return e.Press(QString::fromLatin1(buffer2));
}

TEST(ElectrodeCalibrationTest, StandardCoefficientsBeforeAnyCalibration)
{
    ElectrodeCalibration e;
    EXPECT_DOUBLE_EQ(e.VoltageToPH(0.0), 7.0);
    EXPECT_NEAR(e.VoltageToPH(0.1776), 4.0, 1e-12);
}

TEST(ElectrodeCalibrationTest, TwoBuffersGiveTheLineThroughBoth)
{
    ElectrodeCalibration e;
    EXPECT_TRUE(Calibrate(e, 0.0, "7", 0.1776, "4").statusMessage.isEmpty());
    EXPECT_NEAR(e.Slope(), -16.891891891891892, 1e-12);
    EXPECT_NEAR(e.Intercept(), 7.0, 1e-12);
    EXPECT_NEAR(e.VoltageToPH(0.0888), 5.5, 1e-12);

    Calibrate(e, 0.010, "7", 0.180, "4");
    EXPECT_NEAR(e.Slope(), -17.647058823529413, 1e-12);
    EXPECT_NEAR(e.Intercept(), 7.176470588235294, 1e-12);
    EXPECT_NEAR(e.VoltageToPH(0.010), 7.0, 1e-12);
    EXPECT_NEAR(e.VoltageToPH(0.180), 4.0, 1e-12);
}

TEST(ElectrodeCalibrationTest, EqualVoltagesUseTheStandardDifferenceAndSaySo)
{
    ElectrodeCalibration e;
    const auto result = Calibrate(e, 0.050, "7", 0.050, "4");
    EXPECT_EQ(result.statusMessage, ElectrodeCalibration::kEqualVoltagesMessage);
    EXPECT_NEAR(e.Slope(), 16.891891891891892, 1e-12);
    EXPECT_NEAR(e.Intercept(), -0.8445945945945946, 1e-12);
    EXPECT_NEAR(e.VoltageToPH(0.050), 0.0, 1e-12);
}

TEST(ElectrodeCalibrationTest, EqualBuffersGiveAFlatLine)
{
    ElectrodeCalibration e;
    EXPECT_TRUE(Calibrate(e, 0.0, "7", 0.2, "7").statusMessage.isEmpty());
    EXPECT_DOUBLE_EQ(e.Slope(), 0.0);
    EXPECT_DOUBLE_EQ(e.VoltageToPH(0.37), 7.0);
}

TEST(ElectrodeCalibrationTest, PressesWalkThroughTheSteps)
{
    ElectrodeCalibration e;
    auto first = e.Press(QString());
    EXPECT_EQ(e.CalibrationStep(), 1);
    EXPECT_EQ(first.caption, QStringLiteral("&Valider pH 7"));
    EXPECT_EQ(first.bufferText, QStringLiteral("7"));
    EXPECT_EQ(first.instruction, ElectrodeCalibration::kFirstBufferInstruction);
    auto second = e.Press(QStringLiteral("7"));
    EXPECT_EQ(second.caption, QStringLiteral("&Valider pH 4"));
    EXPECT_EQ(second.instruction, ElectrodeCalibration::kSecondBufferInstruction);
    auto third = e.Press(QStringLiteral("10"));
    EXPECT_EQ(third.caption, QStringLiteral("Etal&onner"));
    EXPECT_TRUE(third.instruction.isEmpty());
    EXPECT_FALSE(e.Calibrating());
    EXPECT_DOUBLE_EQ(e.BufferPH2(), 10.0);
}

TEST(ElectrodeCalibrationTest, BadBufferTextKeepsTheStepSoTheOperatorCanCorrectIt)
{
    ElectrodeCalibration e;
    e.Press(QString());
    e.Press(QStringLiteral("7"));
    EXPECT_THROW(e.Press(QStringLiteral("4.01")), ConvertError);
    EXPECT_EQ(e.CalibrationStep(), 2);
    EXPECT_DOUBLE_EQ(e.BufferPH2(), 4.0);
    e.Press(QStringLiteral("4,01"));
    EXPECT_FALSE(e.Calibrating());
    EXPECT_DOUBLE_EQ(e.BufferPH2(), 4.01);
}

TEST(ElectrodeCalibrationTest, DifferentialModeHalvesTheDifferenceAndCalibratesOnIt)
{
    ElectrodeCalibration e;
    e.SetDifferentialMode(true);
    e.ElectrodeVoltage(0.300, 0.100);
    EXPECT_DOUBLE_EQ(e.LastVoltage(), 0.1);
    EXPECT_DOUBLE_EQ(e.LastVoltage2(), 0.1);

    e.Press(QString());
    e.ElectrodeVoltage(0.300, 0.100);  // 0.100 V at pH 7
    e.Press(QStringLiteral("7"));
    e.ElectrodeVoltage(0.500, 0.050);  // 0.225 V at pH 4
    e.Press(QStringLiteral("4"));
    // The run converts the same LastVoltage, so both buffers come back whatever channel 2 read.
    EXPECT_NEAR(e.VoltageToPH(0.1), 7.0, 1e-12);
    EXPECT_NEAR(e.VoltageToPH(0.225), 4.0, 1e-12);
}

TEST(KeyFilterTest, MapsEveryCharacterClassInBothStates)
{
    struct Case {
        char typed;
        int idle;     // -1: discarded
        int running;
    } cases[] = {
        {'.', ',', -1}, {',', ',', -1}, {'a', 'E', -1}, {'Z', 'E', -1}, {'5', '5', -1},
        {'\t', '\t', -1}, {' ', ' ', '\n'}, {'+', '+', '+'}, {'-', '-', '-'}, {'\r', '\r', '\r'},
    };
    for (const Case& c : cases) {
        const auto idle = KeyFilter::Filter(QLatin1Char(c.typed), false);
        const auto running = KeyFilter::Filter(QLatin1Char(c.typed), true);
        EXPECT_EQ(idle ? idle->unicode() : -1, c.idle) << int(c.typed);
        EXPECT_EQ(running ? running->unicode() : -1, c.running) << int(c.typed);
    }
}

}  // namespace

TEST(ElectrodeCalibrationCellTest, TwoPointsInWaterAndTheStandardGiveTheMetersLawBackInEitherUnit)
{
    struct Case {
        MeasuredQuantity quantity;
        const char* water;     // what the first press proposes
        const char* standard;  // what the second proposes
        double factor;         // the unit's value of 1 mS/cm
    };
    const Case cases[] = {{MeasuredQuantity::ConductivityMilliSiemens, "0", "1,413", 1.0},
                          {MeasuredQuantity::ConductivityMicroSiemens, "0", "1413", 1000.0}};
    for (const Case& c : cases) {
        ElectrodeCalibration cell;
        cell.SetQuantity(c.quantity);
        const auto first = cell.Press(QString());
        EXPECT_EQ(first.bufferText, QString::fromUtf8(c.water));
        EXPECT_EQ(first.caption, QStringLiteral("&Valider σ ") + QString::fromUtf8(c.water));
        EXPECT_EQ(first.instruction, ElectrodeCalibration::kWaterInstruction);
        // The bench's conductimeter in distilled water, then in the standard.
        cell.ElectrodeVoltage(SimulatedBench::CellVoltage(SimulatedBench::kDistilledWaterMSPerCm), 0.0);
        const auto second = cell.Press(NumberText::General(SimulatedBench::kDistilledWaterMSPerCm * c.factor));
        EXPECT_EQ(second.bufferText, QString::fromUtf8(c.standard));
        cell.ElectrodeVoltage(SimulatedBench::CellVoltage(SimulatedBench::kKClStandardMSPerCm), 0.0);
        EXPECT_TRUE(cell.Press(second.bufferText).statusMessage.isEmpty());
        EXPECT_FALSE(cell.Calibrating());
        for (const double sigma : {0.05, 2.5, 12.0})
            EXPECT_NEAR(cell.Value(SimulatedBench::CellVoltage(sigma)), sigma * c.factor, 1e-9 * c.factor);
        // The pH line is not touched by the cell's.
        EXPECT_DOUBLE_EQ(cell.VoltageToPH(0.0), 7.0);
    }
    ElectrodeCalibration equal;
    equal.SetQuantity(MeasuredQuantity::ConductivityMilliSiemens);
    equal.Press(QString());
    equal.Press(QStringLiteral("0"));
    EXPECT_EQ(equal.Press(QStringLiteral("1,413")).statusMessage, ElectrodeCalibration::kEqualCellVoltagesMessage);
    EXPECT_DOUBLE_EQ(equal.CellSlope(), ElectrodeCalibration::kStandardCellSlope);
}
