#include "data/TitrationConcentration.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {

using namespace TitrationConcentration;

struct QuantityCase {
    const char* name;
    const char* cb;
    const char* va;
    bool confirmed;
    double veMl;
    double ca;  // 0: no concentration
};

void PrintTo(const QuantityCase& c, std::ostream* out)
{
    *out << c.name;
}

class ConcentrationTest : public ::testing::TestWithParam<QuantityCase> {};

TEST_P(ConcentrationTest, CbTimesVeOverVa)
{
    const QuantityCase& c = GetParam();
    HeaderValues values;
    values.buretteConcentration = QString::fromUtf8(c.cb);
    values.beakerVolume = QString::fromUtf8(c.va);
    values.quantitiesConfirmed = c.confirmed;
    const std::optional<double> ca = BeakerConcentration(c.veMl, values);
    if (c.ca == 0.0) {
        EXPECT_FALSE(ca.has_value()) << *ca;
        EXPECT_EQ(StatusSuffix(ca),
                  QStringLiteral(" ; concentration : précisez Cb et Va dans Edition > Ajouter un commentaire"));
        return;
    }
    ASSERT_TRUE(ca.has_value());
    EXPECT_NEAR(*ca, c.ca, c.ca * 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Quantities, ConcentrationTest,
    ::testing::Values(QuantityCase{"Comma", "0,01", "0,020", true, 20.0, 0.01},
                      QuantityCase{"Point", "0.1", "0.025", true, 12.5, 0.05},
                      QuantityCase{"ExponentAndSpaces", " 5E-2 ", "20e-3", true, 8.0, 0.02},
                      QuantityCase{"StartUpValuesNobodyConfirmed", "0,01", "0,020", false, 20.0, 0.0},
                      QuantityCase{"CbMissing", "", "0,020", true, 20.0, 0.0},
                      QuantityCase{"VaInWords", "0,01", "vingt mL", true, 20.0, 0.0},
                      QuantityCase{"UnitTyped", "0,01 mol/L", "0,020", true, 20.0, 0.0},
                      QuantityCase{"BothSeparators", "0,01", "0,020.5", true, 20.0, 0.0},
                      QuantityCase{"VaZero", "0,01", "0", true, 20.0, 0.0},
                      QuantityCase{"CbNegative", "-0,01", "0,020", true, 20.0, 0.0}),
    [](const ::testing::TestParamInfo<QuantityCase>& info) { return std::string(info.param.name); });

TEST(TitrationConcentration, ThreeSignificantDigitsInEachForm)
{
    struct Case {
        double value;
        const char* scientific;
        const char* student;
    };
    const Case cases[] = {
        {0.01, "1,00E-2", "1,00 × 10⁻²"},
        {0.0099996, "1,00E-2", "1,00 × 10⁻²"},  // rounds up into the next power
        {0.0123456, "1,23E-2", "1,23 × 10⁻²"},
        {0.000875, "8,75E-4", "8,75 × 10⁻⁴"},
        {1.5, "1,50E0", "1,50"},
        {12.3456, "1,23E1", "1,23 × 10¹"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Scientific(c.value), QString::fromUtf8(c.scientific)) << c.value;
        EXPECT_EQ(StudentForm(c.value), QString::fromUtf8(c.student)) << c.value;
    }
    EXPECT_EQ(StatusSuffix(0.01), QStringLiteral(" ; Ca = 1,00 × 10⁻² mol/L"));
    EXPECT_EQ(ClipboardLine(0.0123456), QStringLiteral("Concentration dans le bécher en mol/L\t1,23E-2\r"));
}

}  // namespace
