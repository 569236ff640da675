#pragma once

#include "BoardSetup.h"
#include "MeasurementRun.h"
#include "FakeClock.h"
#include "TFAcquisition.h"
#include "QtPrinters.h"
#include "TestEnvironment.h"
#include "TestWindow.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// The main window on the simulated bench and a fake clock: a sample takes no real time, and
// the test moves the clock between samples.
class RunFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestEnvironment::ClearSettings();
        UseTemporaryProgramDir();
        BoardSetup board = CreateBoard(QStringList(), QString(), clock, nullptr);
        bench = board.bench.get();
        window = std::make_unique<TFAcquisition>(clock, std::move(board), TestEndpoint());
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override
    {
        window.reset();
        TestEnvironment::ClearSettings();
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
    }

    FakeClock clock;
    SimulatedBench* bench = nullptr;
    std::unique_ptr<TFAcquisition> window;
};
