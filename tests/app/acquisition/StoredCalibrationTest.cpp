#include "acquisition/StoredCalibration.h"

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
    made.board = StoredCalibration::Board::Simulated;
    made.madeAt = kMadeAt;
    made.slopePercent = 98;
    made.offsetMv = -4;
    return made;
}

TEST(StoredCalibration, KeptReadBackAndItsMessageAtStart)
{
    constexpr auto kSim = StoredCalibration::Board::Simulated;
    constexpr auto kReal = StoredCalibration::Board::Real;
    const QString none = QStringLiteral("Pas d'étalonnage : coefficients standard");
    const QString old = QStringLiteral("Étalonnage ancien : pensez à réétalonner");
    const struct {
        const char* name;
        std::function<void(QSettings&)> change;  // after the calibration was written
        StoredCalibration::Board board;           // the board of the start
        QDateTime now;
        QString message;
    } cases[] = {
        {"the next day", nullptr, kSim, kMadeAt.addDays(1), QStringLiteral("Étalonnage du 7/12/2026 à 14:05 repris : pente 98 %")},
        {"seven days on", nullptr, kSim, kMadeAt.addDays(7), QStringLiteral("Étalonnage du 7/12/2026 à 14:05 repris : pente 98 %")},
        {"a minute more", nullptr, kSim, kMadeAt.addDays(7).addSecs(60), old},
        {"dated after now", nullptr, kSim, kMadeAt.addSecs(-3600), old},
        {"made on the other board", nullptr, kReal, kMadeAt.addDays(1), none},
        {"made on the USB interface", [](QSettings& s) { s.setValue(QStringLiteral("Etalonnage/Carte"), QStringLiteral("usb")); }, kSim, kMadeAt, none},
        {"made on the USB interface, read there", [](QSettings& s) { s.setValue(QStringLiteral("Etalonnage/Carte"), QStringLiteral("usb")); },
         StoredCalibration::Board::Usb, kMadeAt.addDays(1), QStringLiteral("Étalonnage du 7/12/2026 à 14:05 repris : pente 98 %")},
        {"nothing kept", [](QSettings& s) { s.remove(QStringLiteral("Etalonnage")); }, kSim, kMadeAt, none},
        {"slope not a number", [](QSettings& s) { s.setValue(QStringLiteral("Etalonnage/Pente"), QStringLiteral("-16,9")); }, kSim, kMadeAt, none},
        {"slope zero", [](QSettings& s) { s.setValue(QStringLiteral("Etalonnage/Pente"), QStringLiteral("0")); }, kSim, kMadeAt, none},
        {"intercept missing", [](QSettings& s) { s.remove(QStringLiteral("Etalonnage/OrdonneeOrigine")); }, kSim, kMadeAt, none},
        {"intercept infinite", [](QSettings& s) { s.setValue(QStringLiteral("Etalonnage/OrdonneeOrigine"), QStringLiteral("inf")); }, kSim, kMadeAt, none},
        {"unknown electrode", [](QSettings& s) { s.setValue(QStringLiteral("Etalonnage/Electrode"), 2); }, kSim, kMadeAt, none},
        {"unknown board", [](QSettings& s) { s.setValue(QStringLiteral("Etalonnage/Carte"), QStringLiteral("Brinmox")); }, kSim, kMadeAt, none},
        {"date unreadable", [](QSettings& s) { s.setValue(QStringLiteral("Etalonnage/Date"), QStringLiteral("hier")); }, kSim, kMadeAt, none},
        {"check unreadable", [](QSettings& s) { s.setValue(QStringLiteral("Etalonnage/PentePourCent"), QStringLiteral("98 %")); }, kSim, kMadeAt, none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestEnvironment::ClearSettings();
        QSettings settings(QStringLiteral("Torvi"), QStringLiteral("Quorin"));
        StoredCalibration::Write(settings, Made());
        if (c.change)
            c.change(settings);
        const std::optional<Calibration> kept = StoredCalibration::Read(settings, c.board);
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
