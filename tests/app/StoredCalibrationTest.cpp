#include "StoredCalibration.h"

#include "QtPrinters.h"
#include "TestEnvironment.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <functional>

namespace {

using StoredCalibration::Calibration;

const QDateTime kMadeAt(QDate(2026, 12, 7), QTime(14, 5));

Calibration Made()
{
    Calibration made;
    made.slope = -16.98765432109876;
    made.intercept = 7.123456789;
    made.differential = true;
    made.simulatedBoard = true;
    made.madeAt = kMadeAt;
    made.slopePercent = 98;
    made.offsetMv = -4;
    return made;
}

TEST(StoredCalibration, KeptReadBackAndItsMessageAtStart)
{
    const QString none = QStringLiteral("Pas d'étalonnage : coefficients standard");
    const QString old = QStringLiteral("Étalonnage ancien : pensez à réétalonner");
    const struct {
        const char* name;
        std::function<void(QSettings&)> change;  // after the calibration was written
        bool simulatedBoard;                      // the board of the start
        QDateTime now;
        QString message;
    } cases[] = {
        {"the next day", nullptr, true, kMadeAt.addDays(1), QStringLiteral("Étalonnage du 7/12/2026 à 14:05 repris : pente 98 %")},
        {"seven days on", nullptr, true, kMadeAt.addDays(7), QStringLiteral("Étalonnage du 7/12/2026 à 14:05 repris : pente 98 %")},
        {"a minute more", nullptr, true, kMadeAt.addDays(7).addSecs(60), old},
        {"dated after now", nullptr, true, kMadeAt.addSecs(-3600), old},
        {"made on the other board", nullptr, false, kMadeAt.addDays(1), none},
        {"nothing kept", [](QSettings& s) { s.remove(QStringLiteral("Etalonnage")); }, true, kMadeAt, none},
        {"slope not a number", [](QSettings& s) { s.setValue(QStringLiteral("Etalonnage/Pente"), QStringLiteral("-16,9")); }, true, kMadeAt, none},
        {"slope zero", [](QSettings& s) { s.setValue(QStringLiteral("Etalonnage/Pente"), QStringLiteral("0")); }, true, kMadeAt, none},
        {"intercept missing", [](QSettings& s) { s.remove(QStringLiteral("Etalonnage/OrdonneeOrigine")); }, true, kMadeAt, none},
        {"intercept infinite", [](QSettings& s) { s.setValue(QStringLiteral("Etalonnage/OrdonneeOrigine"), QStringLiteral("inf")); }, true, kMadeAt, none},
        {"unknown electrode", [](QSettings& s) { s.setValue(QStringLiteral("Etalonnage/Electrode"), 2); }, true, kMadeAt, none},
        {"unknown board", [](QSettings& s) { s.setValue(QStringLiteral("Etalonnage/Carte"), QStringLiteral("Brinmox")); }, true, kMadeAt, none},
        {"date unreadable", [](QSettings& s) { s.setValue(QStringLiteral("Etalonnage/Date"), QStringLiteral("hier")); }, true, kMadeAt, none},
        {"check unreadable", [](QSettings& s) { s.setValue(QStringLiteral("Etalonnage/PentePourCent"), QStringLiteral("98 %")); }, true, kMadeAt, none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestEnvironment::ClearSettings();
        QSettings settings(QStringLiteral("Torvi"), QStringLiteral("Quorin"));
        StoredCalibration::Write(settings, Made());
        if (c.change)
            c.change(settings);
        const std::optional<Calibration> kept = StoredCalibration::Read(settings, c.simulatedBoard);
        EXPECT_EQ(StoredCalibration::StartMessage(kept, c.now), c.message);
        if (c.message == none)
            continue;
        ASSERT_TRUE(kept.has_value());
        // Every value comes back as it was, the line to the last bit.
        EXPECT_EQ(kept->slope, Made().slope);
        EXPECT_EQ(kept->intercept, Made().intercept);
        EXPECT_TRUE(kept->differential);
        EXPECT_EQ(kept->madeAt, kMadeAt);
        EXPECT_EQ(kept->slopePercent, 98);
        EXPECT_EQ(kept->offsetMv, -4);
    }
    TestEnvironment::ClearSettings();
}

}  // namespace
