#include "data/ElectrodeCheck.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace ElectrodeCheck;

// The calibration line of an electrode with `percent` of the Nernst slope, reading pH 7 at
// `offsetMv`: U = -percent/100 x 59,16 mV x (pH - 7) + offset, solved for the pH.
struct Line {
    double slope;
    double intercept;
};

Line Electrode(double percent, double offsetMv)
{
    const double voltsPerPH = -percent / 100.0 * kNernstMvPerPH / 1000.0;
    const double slope = 1.0 / voltsPerPH;
    return {slope, 7.0 - slope * offsetMv / 1000.0};
}

struct Case {
    const char* name;
    double percent;
    double offsetMv;
    const char* text;
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.name;
}

class ElectrodeCheckText : public ::testing::TestWithParam<Case> {};

TEST_P(ElectrodeCheckText, ShowsSlopeAndOffset)
{
    const Case& c = GetParam();
    const Line line = Electrode(c.percent, c.offsetMv);
    const auto result = Evaluate(line.slope, line.intercept);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(Text(*result), QString::fromUtf8(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Electrodes, ElectrodeCheckText,
    ::testing::Values(Case{"Perfect", 100, 0, "Électrode : pente 100 %, décalage +0 mV"},
                      Case{"Tired", 85, 0, "Électrode : pente 85 %, décalage +0 mV — à vérifier"},
                      Case{"Offset", 100, 40, "Électrode : pente 100 %, décalage +40 mV — à vérifier"},
                      Case{"BenchLike", 98, 4, "Électrode : pente 98 %, décalage +4 mV"},
                      Case{"NegativeOffset", 97, -12, "Électrode : pente 97 %, décalage -12 mV"},
                      Case{"LowestKept", 90, 0, "Électrode : pente 90 %, décalage +0 mV"},
                      Case{"JustBelow", 89.4, 0, "Électrode : pente 89 %, décalage +0 mV — à vérifier"},
                      Case{"HighestKept", 105, 0, "Électrode : pente 105 %, décalage +0 mV"},
                      Case{"JustAbove", 105.6, 0, "Électrode : pente 106 %, décalage +0 mV — à vérifier"},
                      Case{"OffsetAtLimit", 100, -30, "Électrode : pente 100 %, décalage -30 mV"},
                      Case{"OffsetBeyond", 100, -31, "Électrode : pente 100 %, décalage -31 mV — à vérifier"},
                      Case{"SmallNegativeRoundsToZero", 100, -0.3, "Électrode : pente 100 %, décalage +0 mV"},
                      Case{"Reversed", -100, 0, "Électrode : pente -100 %, décalage +0 mV — à vérifier"}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(ElectrodeCheck, StandardCalibrationIsANernstElectrode)
{
    // Buffers 7 and 4 at 0 V and 0,1776 V: slope -3 / 0,1776 pH/V, intercept 7.
    const auto result = Evaluate(-3.0 / 0.1776, 7.0);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->slopePercent, 100);
    EXPECT_EQ(result->offsetMv, 0);
    EXPECT_FALSE(result->toCheck);
}

TEST(ElectrodeCheck, DifferenceModeCountsTheWholeElectrodeVoltage)
{
    // The converted voltage is half the electrode's: the line is twice as steep.
    const Line line = Electrode(100, 10);
    const auto result = Evaluate(line.slope * 2.0, 7.0 - line.slope * 2.0 * 0.005, 2.0);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->slopePercent, 100);
    EXPECT_EQ(result->offsetMv, 10);
}

TEST(ElectrodeCheck, LinesThatSayNothingOfTheElectrode)
{
    // Both buffers given the same pH: every reading converts to it.
    EXPECT_FALSE(Evaluate(0.0, 7.0).has_value());
    EXPECT_FALSE(Evaluate(std::nan(""), 7.0).has_value());
    EXPECT_FALSE(Evaluate(-16.9, INFINITY).has_value());
    EXPECT_FALSE(Evaluate(-16.9, 7.0, 0.0).has_value());
    // Absurd but finite: reported, not overflowing.
    const auto tiny = Evaluate(-1e-300, 7.0);
    ASSERT_TRUE(tiny.has_value());
    EXPECT_TRUE(tiny->toCheck);
    EXPECT_GT(tiny->slopePercent, 1000000);
}

}  // namespace
