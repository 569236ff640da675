#pragma once

#include "acquisition/CalibrationController.h"
#include "acquisition/MeasurementRun.h"
#include "board/BoardSetup.h"
#include "FakeClock.h"
#include "QtPrinters.h"
#include "TestEnvironment.h"
#include "TestWindow.h"
#include "window/TFAcquisition.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

// The main window on the simulated bench and a fake clock: a sample takes no real time, and
// the test moves the clock between samples. The samples are measured on the window's
// measurement thread; the test takes them itself (the real-time timers are silenced) and waits
// for their readings.
class RunFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestEnvironment::ClearSettings();
        UseTemporaryProgramDir();
        MakeWindow(CreateBoard(QStringList(), QString(), clock, nullptr));
    }
    void TearDown() override
    {
        // A measurement held on the clock would keep the thread's end waiting.
        clock.HoldWaits(false);
        window.reset();
        TestEnvironment::ClearSettings();
    }
    void MakeWindow(BoardSetup board)
    {
        window.reset();
        stateDir = std::make_unique<TemporaryStateDir>();
        bench = board.bench.get();
        window = std::make_unique<TFAcquisition>(clock, std::move(board), TestEndpoint());
        window->Timer1->blockSignals(true);
        window->Timer2->blockSignals(true);
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    void PressEnterOn(QWidget* w)
    {
        w->setFocus();
        QTest::keyClick(w, Qt::Key_Return);
    }
    // Enter released on the measure button.
    void ToggleRun() { PressEnterOn(window->Button2); }
    // One Space typed with the measure button focused.
    void Space() { QTest::keyClick(window->Button2, Qt::Key_Space); }
    // Lets the 500 ms pause pass and takes the next sample.
    void Sample()
    {
        clock.Advance(500);
        window->Run().Timer1Timer();
        ASSERT_TRUE(WaitForReading());
    }
    // One live reading of the calibration, as Timer2 takes it.
    void Reading()
    {
        clock.Advance(500);
        window->Calibration().Timer2Timer();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->Calibration().ReadingUnderWay(); }, 10000));
    }
    // Until the run's sample under way, if any, has come back.
    bool WaitForReading()
    {
        return QTest::qWaitFor([&] { return !window->Run().SampleUnderWay(); }, 10000);
    }

    FakeClock clock;
    SimulatedBench* bench = nullptr;
    // Declared before the window, which goes first.
    std::unique_ptr<TemporaryStateDir> stateDir;
    std::unique_ptr<TFAcquisition> window;
};
