#include "data/ConvertError.h"
#include "data/NumberText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

namespace {

struct FixedCase {
    double value;
    int precision;
    int decimals;
    const char* expected;
};

TEST(NumberTextTest, Fixed_WritesRoundedDigitsWithComma)
{
    const FixedCase cases[] = {
        {7.12345, 4, 3, "7,123"},
        {10.5678, 4, 3, "10,570"},
        {0.0, 4, 3, "0,000"},
        {0.00075, 6, 6, "0,000750"},
        {0.0123456, 6, 6, "0,012346"},
        {10.1236, 5, 3, "10,124"},
        {-2.5, 4, 3, "-2,500"},
        {0.0015, 6, 6, "0,001500"},
        {999.9996, 6, 3, "1000,000"},
        {0.0000004, 6, 6, "0,000000"},
        {12.3456789, 4, 2, "12,35"},
        {3.0, 5, 0, "3"},
        // Voltages as the window shows them.
        {1.23456, 4, 3, "1,235"},
        {-0.0567, 4, 3, "-0,057"},
        {0.1, 4, 3, "0,100"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumberText::Fixed(c.value, c.precision, c.decimals), QString::fromLatin1(c.expected))
            << c.value << " fixed(" << c.precision << ", " << c.decimals << ")";
}

TEST(NumberTextTest, Fixed_RoundsHalvesAwayFromZero)
{
    EXPECT_EQ(NumberText::Fixed(2.0005, 5, 3), QStringLiteral("2,001"));
    EXPECT_EQ(NumberText::Fixed(-2.0005, 5, 3), QStringLiteral("-2,001"));
    EXPECT_EQ(NumberText::Fixed(0.0000005, 6, 6), QStringLiteral("0,000001"));
    EXPECT_EQ(NumberText::Fixed(1.2345, 4, 3), QStringLiteral("1,235"));
    EXPECT_EQ(NumberText::Fixed(0.125, 2, 2), QStringLiteral("0,13"));
    // A value that rounds to zero carries no sign.
    EXPECT_EQ(NumberText::Fixed(-0.0001, 4, 3), QStringLiteral("0,000"));
}

TEST(NumberTextTest, General_IsShortestWithoutTrailingZeros)
{
    EXPECT_EQ(NumberText::General(0.0), QStringLiteral("0"));
    EXPECT_EQ(NumberText::General(1.5), QStringLiteral("1,5"));
    EXPECT_EQ(NumberText::General(3.0), QStringLiteral("3"));
    EXPECT_EQ(NumberText::General(0.1 + 0.2), QStringLiteral("0,3"));
    EXPECT_EQ(NumberText::General(-0.75), QStringLiteral("-0,75"));
    EXPECT_EQ(NumberText::General(22.5), QStringLiteral("22,5"));
}

TEST(NumberTextTest, Parse_ReadsCommaTexts)
{
    EXPECT_DOUBLE_EQ(NumberText::Parse(QStringLiteral("0,012000")), 0.012);
    EXPECT_DOUBLE_EQ(NumberText::Parse(QStringLiteral(" -3,5 ")), -3.5);
    EXPECT_DOUBLE_EQ(NumberText::Parse(QStringLiteral("7")), 7.0);
    EXPECT_DOUBLE_EQ(NumberText::Parse(QStringLiteral("1,5E-3")), 0.0015);
    EXPECT_DOUBLE_EQ(NumberText::Parse(QStringLiteral("+2,")), 2.0);
}

TEST(NumberTextTest, Parse_RefusesOtherTextsWithTheFrenchMessage)
{
    for (const char* bad : {"3.5", "", "abc", "1,2,3", "--1", "1E", "7 pH"}) {
        const QString text = QString::fromLatin1(bad);
        try {
            NumberText::Parse(text);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const ConvertError& e) {
            EXPECT_EQ(e.Text(), QStringLiteral("'%1' n'est pas une valeur en virgule flottante correcte").arg(text));
        }
    }
}

TEST(NumberTextTest, FixedThenParse_GivesTheRoundedValueBack)
{
    for (double v : {0.0, 0.000395, 3.512, 13.999, 0.020001}) {
        const QString text = NumberText::Fixed(v, 6, 6);
        EXPECT_NEAR(NumberText::Parse(text), v, 5e-7) << text.toStdString();
    }
}

TEST(NumberTextTest, TryParse_GivesExactlyTheCLibrarysDouble)
{
    // Decimal texts of every length the program writes, and a few longer ones.
    std::mt19937_64 random(17);
    for (int i = 0; i < 20000; ++i) {
        const int digits = 1 + static_cast<int>(random() % 18);
        const int decimals = static_cast<int>(random() % (digits + 1));
        std::string ascii = random() % 3 == 0 ? "-" : "";
        for (int d = 0; d < digits; ++d) {
            if (d == digits - decimals)
                ascii += d == 0 ? "0." : ".";
            ascii += static_cast<char>('0' + random() % 10);
        }
        QString text = QString::fromLatin1(ascii.c_str());
        text.replace(QLatin1Char('.'), QLatin1Char(','));
        double value = 0;
        ASSERT_TRUE(NumberText::TryParse(text, value)) << ascii;
        EXPECT_EQ(value, std::strtod(ascii.c_str(), nullptr)) << ascii;
    }
}

TEST(NumberTextTest, IsFixedText_IsTrueExactlyWhenFixedWritesTheTextAgain)
{
    // The oracle is Fixed itself: a reader may keep a text only if formatting its value again
    // would give the same text.
    const char* texts[] = {"7,123", "10,120", "10,124", "0,000", "-0,000", "-2,500", "07,123", "7,12",
                           "7,1230", "0,000750", "0,012346", "12345,000", "1234,000", "7.123", "", ",123",
                           "7,123 ", "+7,123", "1E3", "0,000001", "999,999"};
    for (const auto& [precision, decimals] : {std::pair{4, 3}, std::pair{6, 6}}) {
        for (const char* t : texts) {
            const QString text = QString::fromLatin1(t);
            double value = 0;
            const bool same = NumberText::TryParse(text, value) && NumberText::Fixed(value, precision, decimals) == text;
            EXPECT_EQ(NumberText::IsFixedText(text, precision, decimals), same)
                << t << " fixed(" << precision << ", " << decimals << ")";
        }
    }
}

}  // namespace
