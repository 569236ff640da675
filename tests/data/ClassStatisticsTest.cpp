#include "data/ClassStatistics.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace ClassStatistics;

// Nine benches at 19,9, 20,0 and 20,1 mL (three each), one at 21,0 mL, one without Ve.
std::vector<Bench> Class()
{
    std::vector<Bench> benches;
    for (int i = 0; i < 9; ++i)
        benches.push_back({QStringLiteral("banc %1").arg(i + 1), 19.9 + 0.1 * (i % 3), false});
    benches.push_back({QStringLiteral("banc 10"), 21.0, false});
    benches.push_back({QStringLiteral("banc 11"), std::nullopt, false});
    return benches;
}

TEST(ClassStatistics, MeanSpreadAndGapsOfAKnownClass)
{
    struct Case {
        const char* name;
        bool leaveOutTheTenth;
        std::optional<ClassQuantities> quantities;
        double scale;  // Ca per mL of Ve, or 1 for Ve
        double mean, s, tenthGap;
        bool tenthMarked;
        std::vector<int> histogram;
    };
    // All ten: mean 20,1; squares 3 × 0,04 + 3 × 0,01 + 0,81 = 0,96, s = √(0,96/9).
    // The tenth left out: mean 20,0; squares 0,06, s = √(0,06/8); its gap 1,0/s.
    const double s10 = std::sqrt(0.96 / 9.0), s9 = std::sqrt(0.06 / 8.0);
    const Case cases[] = {
        {"all", false, std::nullopt, 1.0, 20.1, s10, 0.9 / s10, true, {3, 6, 0, 1}},
        {"tenth left out", true, std::nullopt, 1.0, 20.0, s9, 1.0 / s9, false, {3, 0, 3, 0, 3}},
        {"Ca, tenth left out", true, ClassQuantities{0.01, 20.0}, 0.01 / 20.0, 20.0, s9, 1.0 / s9, false, {3, 3, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Bench> benches = Class();
        benches[9].leftOut = c.leaveOutTheTenth;
        const Statistics st = Compute(benches, c.quantities);
        EXPECT_EQ(st.ofConcentration, c.quantities.has_value());
        EXPECT_EQ(st.count, c.leaveOutTheTenth ? 9 : 10);
        EXPECT_NEAR(st.mean, c.mean * c.scale, 1e-12 * c.scale);
        ASSERT_TRUE(st.standardDeviation && st.standardDeviationOfMean);
        EXPECT_NEAR(*st.standardDeviation, c.s * c.scale, 1e-9 * c.scale);
        EXPECT_NEAR(*st.standardDeviationOfMean, c.s * c.scale / std::sqrt(double(st.count)), 1e-9 * c.scale);
        ASSERT_TRUE(st.rows[9].gap.has_value());
        EXPECT_NEAR(*st.rows[9].gap, c.tenthGap, 1e-6);
        EXPECT_EQ(st.rows[9].marked, c.tenthMarked);
        int marked = 0;
        for (const Row& row : st.rows)
            marked += row.marked;
        EXPECT_EQ(marked, c.tenthMarked ? 1 : 0);
        EXPECT_FALSE(st.rows[10].gap.has_value());
        if (!c.quantities) {
            EXPECT_EQ(st.histogram.counts, c.histogram);
        }
    }
}

TEST(ClassStatistics, TableTextsForTheSpreadsheet)
{
    std::vector<Bench> benches = Class();
    benches[9].leftOut = true;
    const Statistics st = Compute(benches, ClassQuantities{0.01, 20.0});
    const QStringList lines = ClipboardText(st).split(QLatin1Char('\r'));
    EXPECT_EQ(lines[0], QStringLiteral("Banc\tVe (mL)\tCa (mol/L)\tÉcart / s\tRemarque"));
    EXPECT_EQ(lines[1], QStringLiteral("banc 1\t19,90\t9,95E-3\t-1,2\t"));
    EXPECT_EQ(lines[10], QStringLiteral("banc 10\t21,00\t1,05E-2\t+11,5\técarté"));
    EXPECT_EQ(lines[11], QStringLiteral("banc 11\tintrouvable\t\t\t"));
    EXPECT_EQ(lines.mid(12), QStringList({QString(), QStringLiteral("Valeurs retenues\t9"),
                                          QStringLiteral("Moyenne de Ca en mol/L\t1,0000E-2"),
                                          QStringLiteral("Écart-type s en mol/L\t4,3E-5"),
                                          QStringLiteral("Incertitude-type de la moyenne s/racine(n) en mol/L\t0,0014E-2"),
                                          QString()}));
    EXPECT_EQ(SummaryText(Compute(Class(), std::nullopt)),
              QStringLiteral("10 valeurs : moyenne Ve = (20,1 ± 0,1) mL (± s/√n) ; s = 0,33 mL"));
}

}  // namespace
