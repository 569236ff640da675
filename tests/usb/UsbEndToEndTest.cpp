// The USB interface end to end, in real time: the firmware image the build made runs on the
// simulated microcontroller, the program opens its pseudo-terminal as it opens /dev/ttyACM0,
// and the window calibrates and measures through it as it does through the board.

#include "acquisition/BoardMenu.h"
#include "acquisition/CalibrationController.h"
#include "acquisition/ElectrodeCalibration.h"
#include "acquisition/MeasurementRun.h"
#include "AvrBoard.h"
#include "board/BoardSetup.h"
#include "board/Clock.h"
#include "board/MeasurementThread.h"
#include "data/MeasurementRecord.h"
#include "TestEnvironment.h"
#include "TestWindow.h"
#include "window/TFAcquisition.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

#include <pty.h>
#include <unistd.h>

#include <cmath>
#include <memory>

namespace {

// One step of the 10-bit converter at the 5 V reference, in volts.
constexpr double kStepV = 5.0 / 1024.0;
// Buffers as a pH amplifier module gives them: 2,5 V at pH 7, about 0,177 V less per pH unit up.
constexpr double kBuffer7Mv = 2500.0;
constexpr double kBuffer4Mv = 3030.0;
constexpr double kSampleMv = 2765.0;
// The line through the two buffers, computed here from the voltages set, not by the program.
double ExpectedPH(double millivolts)
{
    return 7.0 + (millivolts - kBuffer7Mv) * (4.0 - 7.0) / (kBuffer4Mv - kBuffer7Mv);
}

double CellNumber(const QString& text)
{
    return QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
}

class UsbEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(avr.Started()) << avr.Error().toStdString();
        TestEnvironment::ClearSettings();
        UseTemporaryProgramDir();
    }
    void TearDown() override
    {
        window.reset();
        TestEnvironment::ClearSettings();
    }

    void OpenWindow(const QString& option)
    {
        window = std::make_unique<TFAcquisition>(clock, CreateBoard({QStringLiteral("Quorin"), option}, QString(),
                                                                    clock, nullptr),
                                                 TestEndpoint());
        QObject::connect(&window->Measurement(), &MeasurementThread::Measured, window.get(),
                         [this](const BoardReading&) { ++readings; });
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void OpenWindowOnInterface() { OpenWindow(QStringLiteral("--carte-usb=") + avr.PortName()); }

    void PressEnterOn(QWidget* w)
    {
        w->setFocus();
        QTest::keyClick(w, Qt::Key_Return);
    }
    // Readings that began after this call: the one under way may have begun before it.
    bool WaitForFreshReadings(int count)
    {
        const int target = readings + count + 1;
        return QTest::qWaitFor([&] { return readings >= target; }, 5000 * (count + 1));
    }
    void Calibrate()
    {
        ASSERT_TRUE(avr.SetMillivolts(0, kBuffer7Mv));
        PressEnterOn(window->Button1);
        ASSERT_TRUE(WaitForFreshReadings(1));
        EXPECT_NEAR(CellNumber(window->Edit1->text()), kBuffer7Mv / 1000.0, kStepV);
        PressEnterOn(window->Button1);
        ASSERT_TRUE(avr.SetMillivolts(0, kBuffer4Mv));
        ASSERT_TRUE(WaitForFreshReadings(1));
        EXPECT_NEAR(CellNumber(window->Edit1->text()), kBuffer4Mv / 1000.0, kStepV);
        PressEnterOn(window->Button1);
        ASSERT_FALSE(window->Electrode().Calibrating());
        // The check looks through the module (2,5 V at pH 7, gain 3) to a sound electrode.
        const QRegularExpressionMatch check
            = QRegularExpression(QStringLiteral("^Électrode : pente (\\d+) %, décalage [+-](\\d+) mV$"))
                  .match(window->StatusText());
        ASSERT_TRUE(check.hasMatch()) << window->StatusText().toStdString();
        EXPECT_NEAR(check.captured(1).toInt(), 100, 2);
        EXPECT_LE(check.captured(2).toInt(), 3);
    }
    // Starts a run and waits for `samples` points.
    bool RunUntil(int samples)
    {
        PressEnterOn(window->Button2);
        return QTest::qWaitFor([&] { return window->Record().PointCount() >= samples; }, 2000 * (samples + 2));
    }

    AvrBoard avr;
    MonotonicClock& clock = MonotonicClock::Instance();
    std::unique_ptr<TFAcquisition> window;
    int readings = 0;
};

TEST_F(UsbEndToEnd, CalibrationAndTenSamples_GiveTheVoltagesSetAndTheirPH)
{
    OpenWindowOnInterface();
    ASSERT_FALSE(window->BoardInUse().simulated);
    EXPECT_EQ(window->BoardInUse().usbPort, avr.PortName());
    Calibrate();
    const double slopePHPerV = (4.0 - 7.0) / ((kBuffer4Mv - kBuffer7Mv) / 1000.0);
    EXPECT_NEAR(window->Electrode().VoltageToPH(kBuffer7Mv / 1000.0), 7.0, std::abs(slopePHPerV) * 2 * kStepV);

    ASSERT_TRUE(avr.SetMillivolts(0, kSampleMv));
    ASSERT_TRUE(avr.SetMillivolts(1, 1200.0));
    ASSERT_TRUE(RunUntil(10));
    QTest::keyClick(window->Button2, Qt::Key_Space);
    PressEnterOn(window->Button2);
    ASSERT_FALSE(window->Run().Measuring());

    const MeasurementRecord& record = window->Record();
    ASSERT_EQ(record.PointCount(), 10);
    // Each of the three voltages behind a pH may be one step off.
    const double tolerancePH = std::abs(slopePHPerV) * 3 * kStepV;
    for (int row = 1; row <= 10; ++row)
        EXPECT_NEAR(CellNumber(record.Cell(MeasurementRecord::ColPH, row)), ExpectedPH(kSampleMv), tolerancePH)
            << "row " << row;
    EXPECT_NEAR(window->Electrode().LastVoltage(), kSampleMv / 1000.0, kStepV);
    EXPECT_NEAR(window->Electrode().LastVoltage2(), 1.2, kStepV);
}

// A spoiled answer ends the run as Enter would: the points before it stay, none is made of it.
TEST_F(UsbEndToEnd, SpoiledAnswerOrUnpluggedInterface_EndsTheRunKeepingThePointsBefore)
{
    const struct Case {
        const char* fault;
        const char* reported;
    } cases[] = {
        {"CORRUPT", "somme de contrôle fausse"},
        {"CUT", "réponse incomplète"},
        {"CLOSE", "débranchée"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        AvrBoard board;
        ASSERT_TRUE(board.Started());
        ASSERT_TRUE(board.SetMillivolts(0, kBuffer7Mv));
        window = std::make_unique<TFAcquisition>(
            clock,
            CreateBoard({QStringLiteral("Quorin"), QStringLiteral("--carte-usb=") + board.PortName()}, QString(),
                        clock, nullptr),
            TestEndpoint());
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        ASSERT_TRUE(RunUntil(2));
        QTest::keyClick(window->Button2, Qt::Key_Space);
        // The third sample's answer, asked for 500 ms after the second came back.
        if (QByteArray(c.fault) == "CLOSE")
            ASSERT_TRUE(board.Unplug());
        else
            ASSERT_TRUE(board.Spoil(c.fault));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->Run().Measuring(); }, 8000));
        EXPECT_EQ(window->Record().PointCount(), 2);
        EXPECT_TRUE(window->StatusText().contains(QString::fromUtf8(c.reported))) << window->StatusText().toStdString();
        window.reset();
    }
}

// Unplugged, then plugged back: the next request looks for it again and measures.
TEST_F(UsbEndToEnd, InterfacePluggedBack_IsFoundAgainByTheNextRequest)
{
    auto board = std::make_unique<AvrBoard>();
    QString current = board->PortName();
    BoardSetup setup;
    setup.simulated = false;
    UsbInterface::Options options;
    options.listPorts = [&current] { return QStringList{current}; };
    setup.usb = options;
    MeasurementThread thread(clock);
    ASSERT_EQ(thread.Open(setup), QString());

    BoardReading last;
    QObject::connect(&thread, &MeasurementThread::Measured, [&](const BoardReading& r) { last = r; });
    const auto measure = [&] {
        const std::uint64_t tag = thread.Request(100, 1000.0);
        return QTest::qWaitFor([&] { return last.tag == tag; }, 8000);
    };

    ASSERT_TRUE(board->Unplug());
    ASSERT_TRUE(measure());
    EXPECT_EQ(last.failure, BoardReading::Failure::Status);
    EXPECT_TRUE(last.failureText.contains(QStringLiteral("débranchée"))) << last.failureText.toStdString();

    board = std::make_unique<AvrBoard>();
    ASSERT_TRUE(board->SetMillivolts(0, 1500.0));
    current = board->PortName();
    ASSERT_TRUE(measure());
    EXPECT_EQ(last.failure, BoardReading::Failure::None) << last.failureText.toStdString();
    EXPECT_NEAR(last.voltage1, 1.5, kStepV);
    thread.End();
}

// A terminal that never answers is not our interface: refused by name, and the bench instead.
TEST_F(UsbEndToEnd, SilentPort_IsRefusedAndTheBenchTakesOver)
{
    int master = -1;
    int slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    OpenWindow(QStringLiteral("--carte-usb=") + QString::fromLocal8Bit(name));
    EXPECT_TRUE(window->BoardInUse().simulated);
    EXPECT_TRUE(window->StatusText().startsWith(QStringLiteral("Aucune interface Quorin sur %1 : ").arg(
        QString::fromLocal8Bit(name))))
        << window->StatusText().toStdString();
    window.reset();
    close(slave);
    close(master);
}

// "Paramétrer > Interface &USB" and back to the Kestrola item (the bench here), outside a run.
TEST_F(UsbEndToEnd, MenuChoice_SwitchesBetweenBenchAndInterfaceAndIsRemembered)
{
    OpenWindow(QString());
    const MainMenu& menu = window->Menu();
    ASSERT_TRUE(menu.InterfaceUSB1->isCheckable());
    EXPECT_EQ(menu.InterfaceUSB1->actionGroup(), menu.CarteKestrola1->actionGroup());
    EXPECT_TRUE(menu.CarteKestrola1->isChecked());

    // The window's own items look for the interface on the USB ports; these name the terminal.
    QActionGroup group(nullptr);
    QAction kestrola(QStringLiteral("Kestrola"), &group);
    QAction usb(QStringLiteral("USB"), &group);
    for (QAction* item : {&kestrola, &usb})
        item->setCheckable(true);
    QString port = QStringLiteral("/dev/null");
    BoardMenu::Hooks hooks;
    hooks.busy = [&] { return window->Run().Measuring() || window->Electrode().Calibrating(); };
    hooks.change = [&](BoardSetup board) { return window->ChangeBoard(std::move(board)); };
    hooks.kestrola = [&] { return CreateBoard({}, QString(), clock, nullptr); };
    hooks.usb = [&] { return CreateBoard({QString(), QStringLiteral("--carte-usb=") + port}, QString(), clock, nullptr); };
    hooks.status = [&](const QString& text) { window->SetStatusText(text); };
    BoardMenu boardMenu(&kestrola, &usb, false, hooks, nullptr);

    usb.trigger();
    EXPECT_TRUE(kestrola.isChecked());
    EXPECT_TRUE(window->StatusText().startsWith(QStringLiteral("Aucune interface Quorin sur /dev/null : ")))
        << window->StatusText().toStdString();
    ASSERT_NE(window->Bench(), nullptr);

    port = avr.PortName();
    ASSERT_TRUE(avr.SetMillivolts(0, 1800.0));
    usb.trigger();
    EXPECT_TRUE(usb.isChecked());
    EXPECT_EQ(window->BoardInUse().usbPort, avr.PortName());
    EXPECT_EQ(window->Bench(), nullptr);
    EXPECT_EQ(BoardMenu::EnvironmentOrRemembered(), QStringLiteral("usb"));
    PressEnterOn(window->Button1);
    ASSERT_TRUE(WaitForFreshReadings(1));
    EXPECT_NEAR(CellNumber(window->Edit1->text()), 1.8, kStepV);

    // During a calibration the board stays.
    kestrola.trigger();
    EXPECT_TRUE(usb.isChecked());
    EXPECT_EQ(window->StatusText(), QStringLiteral("Arrêtez la mesure ou l'étalonnage avant de changer de carte."));
    PressEnterOn(window->Button1);
    PressEnterOn(window->Button1);
    ASSERT_FALSE(window->Electrode().Calibrating());

    kestrola.trigger();
    EXPECT_TRUE(kestrola.isChecked());
    EXPECT_TRUE(window->BoardInUse().simulated);
    EXPECT_NE(window->Bench(), nullptr);
    EXPECT_EQ(BoardMenu::EnvironmentOrRemembered(), QString());
}

}  // namespace
