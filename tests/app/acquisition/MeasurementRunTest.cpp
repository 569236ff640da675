#include "acquisition/ElectrodeCalibration.h"
#include "acquisition/MeasurementRun.h"
#include "board/BoardSetup.h"
#include "board/EmulatedBoard.h"
#include "board/MeasurementThread.h"
#include "board/SimulatedBench.h"
#include "data/MeasurementRecord.h"
#include "data/NumberText.h"
#include "data/RunTiming.h"
#include "FakeClock.h"
#include "RunFixture.h"
#include "support/ErrorBox.h"
#include "window/RecordChart.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <map>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using R = MeasurementRecord;

class MeasurementRunTest : public RunFixture {};

TEST_F(MeasurementRunTest, EnterOnTheMeasureButtonStartsARun)
{
    ToggleRun();
    EXPECT_TRUE(window->Run().Measuring());
    EXPECT_EQ(window->Button2->text(), QStringLiteral("A&rréter"));
    EXPECT_EQ(window->Chart1->TitleText(), QStringLiteral("pH, fonction de la date t"));
    EXPECT_EQ(window->Edit6->text(), QStringLiteral("0"));
    EXPECT_FALSE(window->Button1->isEnabled());
    EXPECT_FALSE(window->RadioGroup1->isEnabled());
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_EQ(window->Record().Cell(R::ColValidation, 0), QStringLiteral("Acquisition"));
}

TEST_F(MeasurementRunTest, SamplesShowVoltageAndPhAndAppendPoints)
{
    bench->SetPlace(SimulatedBench::ElectrodePlace::Beaker);
    ToggleRun();
    for (int i = 0; i < 3; ++i)
        Sample();
    const R& r = window->Record();
    ASSERT_EQ(r.PointCount(), 3);
    EXPECT_EQ(window->Edit6->text(), QStringLiteral("3"));
    EXPECT_EQ(r.Cell(R::ColTime, 3), QStringLiteral("3"));
    // 0,01 mol/L hydrochloric acid reads about pH 2 with the standard coefficients.
    const double pH = window->Edit2->text().replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
    EXPECT_NEAR(pH, 2.0, 0.15);
    EXPECT_EQ(window->Edit1->text().count(QLatin1Char(',')), 1);
}

TEST_F(MeasurementRunTest, SpaceBeforeTheFirstSampleRecordsNothing)
{
    ToggleRun();
    Space();
    EXPECT_EQ(window->Run().ValidationCount(), 0);
    EXPECT_EQ(window->Edit3->text(), QStringLiteral("1"));
}

TEST_F(MeasurementRunTest, SpaceAfterASampleMarksItsRowFromTheMiddleOfTheSample)
{
    ToggleRun();
    for (int i = 0; i < 4; ++i)
        Sample();
    clock.Advance(300);
    Space();
    EXPECT_EQ(window->Record().Cell(R::ColValidation, 4), QStringLiteral("0,8"));
    EXPECT_EQ(window->Edit3->text(), QStringLiteral("2"));
    // A second press before the next sample replaces the mark and still counts.
    clock.Advance(100);
    Space();
    EXPECT_EQ(window->Record().Cell(R::ColValidation, 4), QStringLiteral("0,9"));
    EXPECT_EQ(window->Run().ValidationCount(), 2);
    EXPECT_EQ(window->Edit3->text(), QStringLiteral("3"));
}

TEST_F(MeasurementRunTest, EveryPressWithinOneSampleCountsInTheSavedVolumes)
{
    // Presses after a sample, in ms after its end; its middle is 500 ms before its end. The
    // volumes come from the presses' times: 1 mL per press, linear in time between presses.
    const struct {
        const char* name;
        int samples;
        std::map<int, std::vector<int>> presses;  // sample -> presses after it
        std::vector<const char*> volumes;
        const char* nextVolume;
    } cases[] = {
        // Presses at 2,2 s and 2,5 s (row 2), 5,3 s (row 4).
        {"two presses in one sample", 5, {{2, {200, 500}}, {4, {300}}},
         {"0,000000", "0,000682", "0,002179", "0,002714"}, "4"},
        // Presses at 3,6, 3,8 and 4,1 s (row 3), 6,7 s (row 5).
        {"three presses in one sample", 6, {{3, {100, 300, 600}}, {5, {200}}},
         {"0,000000", "0,000417", "0,000833", "0,003154", "0,003731"}, "5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MakeWindow(CreateBoard(QStringList(), QString(), clock, nullptr));
        int saved = 0;
        window->Run().SetFinishRun([&] { ++saved; });
        ToggleRun();
        int pressed = 0;
        for (int n = 1; n <= c.samples; ++n) {
            Sample();
            const auto after = c.presses.find(n);
            if (after == c.presses.end())
                continue;
            int at = 0;
            for (const int ms : after->second) {
                clock.Advance(ms - at);
                at = ms;
                Space();
                ++pressed;
            }
        }
        EXPECT_EQ(window->Run().ValidationCount(), pressed);
        EXPECT_EQ(window->Edit3->text(), QString::fromLatin1(c.nextVolume));
        ToggleRun();
        QStringList volumes;
        for (int row = 1; row <= window->Record().PointCount(); ++row)
            volumes << window->Record().Cell(R::ColVolume, row);
        QStringList expected;
        for (const char* v : c.volumes)
            expected << QString::fromLatin1(v);
        EXPECT_EQ(volumes, expected);
        EXPECT_EQ(saved, 1);
    }
}

TEST_F(MeasurementRunTest, TypedCharactersAreFilteredByState)
{
    // Outside a run: '.' reaches a field as ',' and letters as 'E'.
    window->Edit2->setEnabled(true);
    window->Edit2->clear();
    window->Edit2->setFocus();
    QTest::keyClicks(window->Edit2, QStringLiteral("4.01x"));
    EXPECT_EQ(window->Edit2->text(), QStringLiteral("4,01E"));
    window->Edit2->setEnabled(false);

    // During a run digits and letters change nothing anywhere.
    ToggleRun();
    Sample();
    const QString before = window->Edit2->text();
    QTest::keyClicks(window->Button2, QStringLiteral("7a,."));
    EXPECT_EQ(window->Edit2->text(), before);
    EXPECT_EQ(window->Run().ValidationCount(), 0);
    EXPECT_TRUE(window->Record().Cell(R::ColValidation, 1).isEmpty());
}

TEST_F(MeasurementRunTest, StopKeepsRowsUpToTheLastMarkAndHandsThemOn)
{
    int finished = 0;
    window->Run().SetFinishRun([&] { ++finished; });
    ToggleRun();
    for (int i = 1; i <= 10; ++i) {
        Sample();
        if (i == 3 || i == 7) {
            clock.Advance(200);
            Space();
        }
    }
    ToggleRun();
    const R& r = window->Record();
    EXPECT_FALSE(window->Run().Measuring());
    EXPECT_EQ(r.PointCount(), 7);
    EXPECT_EQ(r.Cell(R::ColVolume, 1), QStringLiteral("0,000000"));
    const double last = r.Cell(R::ColVolume, 7).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
    // Row 7 stands 0,7 s before its press: just under the second millilitre.
    EXPECT_GT(last, 0.0018);
    EXPECT_LT(last, 0.002);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(window->Edit6->text(), QStringLiteral("7"));
    EXPECT_EQ(window->Label8->text(), QStringLiteral("Nombre de points de mesure retenus"));
    EXPECT_EQ(window->Button2->text(), QStringLiteral("&Mesurer"));
    EXPECT_EQ(window->Edit3->text(), QStringLiteral("1"));
    EXPECT_TRUE(window->Button1->isEnabled());
    EXPECT_TRUE(window->RadioGroup1->isEnabled());
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_EQ(window->Chart1->TitleText(), QStringLiteral("pH, fonction du volume v de réactif versé"));
}

TEST_F(MeasurementRunTest, StopWithoutMarksKeepsNothingAndSavesNothing)
{
    int finished = 0;
    window->Run().SetFinishRun([&] { ++finished; });
    ToggleRun();
    for (int i = 0; i < 5; ++i)
        Sample();
    ToggleRun();
    EXPECT_EQ(window->Record().PointCount(), 0);
    EXPECT_EQ(finished, 0);
    EXPECT_EQ(window->Edit6->text(), QStringLiteral("0"));
}

TEST_F(MeasurementRunTest, FailedSaveStillCompletesTheStop)
{
    QStringList errors;
    ErrorBox::SetPresenter([&](const QString& text) { errors << text; });
    window->Run().SetFinishRun([] { throw std::runtime_error("Disque plein"); });
    ToggleRun();
    Sample();
    Space();
    Sample();
    ToggleRun();
    ErrorBox::SetPresenter({});
    EXPECT_EQ(errors, QStringList{QStringLiteral("Disque plein")});
    EXPECT_EQ(window->Record().PointCount(), 1);
    EXPECT_EQ(window->Button2->text(), QStringLiteral("&Mesurer"));
    EXPECT_TRUE(window->Button1->isEnabled());
}

TEST_F(MeasurementRunTest, SamplesAreScheduledFromTheFirstSample)
{
    ToggleRun();
    const std::int64_t t0 = clock.NowMs() + 500;
    Sample();
    EXPECT_EQ(window->Run().NextSampleDueMs(), t0 + 1500);
    // A tick that starts 37 ms late does not push the later samples back.
    clock.Advance(537);
    window->Run().Timer1Timer();
    ASSERT_TRUE(WaitForReading());
    EXPECT_EQ(window->Run().NextSampleDueMs(), t0 + 3000);
    EXPECT_LE(window->Timer1->remainingTime(), 500);
}

TEST_F(MeasurementRunTest, ClosingDuringARunAsksFirst)
{
    int asked = 0;
    window->SetQuitDuringRunQuestion([&] { ++asked; return false; });
    ToggleRun();
    Sample();
    EXPECT_FALSE(window->close());
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->Run().Measuring());
    window->SetQuitDuringRunQuestion([&] { ++asked; return true; });
    EXPECT_TRUE(window->close());
    EXPECT_EQ(asked, 2);
}

TEST_F(MeasurementRunTest, EnterReleasedOnTheButtonActsOnlyWhenTheButtonReceivedItsPress)
{
    // Another window, as a dialog or a menu that the press closed before the focus came back.
    QLineEdit dialog;
    dialog.show();
    const struct {
        const char* name;
        bool running;
        QWidget* pressedOn;
        Qt::Key pressed;
        bool toggles;
    } cases[] = {
        {"idle: pressed and released on the button", false, window->Button2, Qt::Key_Return, true},
        {"running: pressed and released on the button", true, window->Button2, Qt::Key_Return, true},
        {"idle: pressed in another window", false, &dialog, Qt::Key_Return, false},
        {"running: pressed in another window", true, &dialog, Qt::Key_Return, false},
        {"idle: another key pressed on the button", false, window->Button2, Qt::Key_Escape, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (window->Run().Measuring() != c.running)
            ToggleRun();
        window->Button2->setFocus();
        QTest::keyPress(c.pressedOn, c.pressed);
        QTest::keyRelease(window->Button2, Qt::Key_Return);
        EXPECT_EQ(window->Run().Measuring(), c.running != c.toggles);
    }
}

// A bus that fails as a refused port does, once told to.
class RefusingBus final : public PortBus {
public:
    explicit RefusingBus(std::unique_ptr<PortBus> bus) : bus_(std::move(bus)) {}
    std::atomic<bool> refuse = false;

    void OutByte(std::uint16_t port, std::uint8_t value) override { Check(), bus_->OutByte(port, value); }
    std::uint8_t InByte(std::uint16_t port) override { return Check(), bus_->InByte(port); }
    std::uint16_t InWord(std::uint16_t port) override { return Check(), bus_->InWord(port); }
    void EnterCritical() override { bus_->EnterCritical(); }
    void LeaveCritical() override { bus_->LeaveCritical(); }
    void Settle() override { bus_->Settle(); }
    std::int64_t NowNs() override { return bus_->NowNs(); }

private:
    void Check()
    {
        if (refuse)
            throw std::runtime_error("Accès au port 0x280 refusé par le système.");
    }
    std::unique_ptr<PortBus> bus_;
};

TEST_F(MeasurementRunTest, BoardFailureOnTheMeasurementThreadIsReportedAndEndsTheRunAsEnterWould)
{
    const struct {
        const char* name;
        bool timerStops;  // else the port is refused
        QString status;
        QStringList boxes;
    } cases[] = {
        {"no sampling signal", true, QStringLiteral("Signal d'échantillonnage absent (compteur 2 du PC) : mesure "
                                                    "interrompue après 0 points sur 15700"), {}},
        {"port refused", false, QString(), {QStringLiteral("Accès au port 0x280 refusé par le système.")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BoardSetup board = CreateBoard(QStringList(), QString(), clock, nullptr);
        auto* emulated = static_cast<EmulatedBoard*>(board.bus.get());
        auto refusing = std::make_unique<RefusingBus>(std::move(board.bus));
        RefusingBus* bus = refusing.get();
        board.bus = std::move(refusing);
        MakeWindow(std::move(board));
        int saved = 0;
        window->Run().SetFinishRun([&] { ++saved; });
        QStringList boxes;
        ErrorBox::SetPresenter([&](const QString& text) { boxes << text; });

        ToggleRun();
        Sample();
        Sample();
        Space();
        // What the start left there (the calibration's message) stays unless the failure says more.
        const QString before = window->StatusText();
        if (c.timerStops)
            emulated->SetTimerPresent(false);
        else
            bus->refuse = true;
        Sample();
        ErrorBox::SetPresenter({});

        EXPECT_FALSE(window->Run().Measuring());
        EXPECT_EQ(window->Button2->text(), QStringLiteral("&Mesurer"));
        EXPECT_TRUE(window->Button1->isEnabled());
        EXPECT_EQ(window->Record().PointCount(), 2);
        EXPECT_EQ(saved, 1);
        EXPECT_EQ(window->StatusText(), c.status.isEmpty() ? before : c.status);
        EXPECT_EQ(boxes, c.boxes);
    }
}

// The run with a board measurement that lasts until the test moves the clock past its end,
// so that keys can be pressed while a sample is under way on the measurement thread.
class MeasurementRunUnderWayTest : public RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        clock.HoldWaits(true);
    }
    void StartRun()
    {
        startMs = clock.NowMs();
        ToggleRun();
    }
    // Moves the time to `ms` after the start as the run's timer would: each sample starts
    // when it is due and its measurement ends one second later.
    void RunTo(std::int64_t ms)
    {
        const std::int64_t target = startMs + ms;
        MeasurementRun& run = window->Run();
        for (;;) {
            if (run.SampleUnderWay() && sampleEndMs <= target) {
                clock.AdvanceTo(sampleEndMs);
                ASSERT_TRUE(WaitForReading());
            } else if (!run.SampleUnderWay() && run.Measuring() && run.NextSampleDueMs() <= target) {
                clock.AdvanceTo(run.NextSampleDueMs());
                run.Timer1Timer();
                ASSERT_TRUE(clock.WaitForSleeper());
                sampleEndMs = clock.NowMs() + RunTiming::kSampleDurationMs;
            } else {
                break;
            }
        }
        clock.AdvanceTo(target);
    }
    // Lets the sample left under way at a stop come back.
    void FinishDroppedSample()
    {
        QSignalSpy reading(&window->Measurement(), &MeasurementThread::Measured);
        clock.AdvanceTo(sampleEndMs);
        ASSERT_TRUE(reading.wait(10000));
    }

    std::int64_t startMs = 0;
    std::int64_t sampleEndMs = 0;
};

TEST_F(MeasurementRunUnderWayTest, PressesDuringSamplesAreDatedWhenTheyHappen)
{
    StartRun();
    // Samples 4, 6 and 8 are under way (5 to 6 s, 8 to 9 s, 11 to 12 s after the Enter).
    for (const std::int64_t press : {5300, 8300, 11300}) {
        RunTo(press);
        ASSERT_TRUE(window->Run().SampleUnderWay());
        Space();
    }
    RunTo(12800);
    ToggleRun();
    FinishDroppedSample();

    const R& r = window->Record();
    // Each press is 800 ms after the end of the latest completed sample: 1,3 s after its middle.
    for (const int row : {3, 5, 7})
        EXPECT_EQ(r.Cell(R::ColValidation, row), QStringLiteral("1,3")) << row;
    const QStringList volumes = {QStringLiteral("0,000000"), QStringLiteral("0,000349"), QStringLiteral("0,000698"),
                                 QStringLiteral("0,001067"), QStringLiteral("0,001567"), QStringLiteral("0,002067"),
                                 QStringLiteral("0,002567")};
    ASSERT_EQ(r.PointCount(), volumes.size());
    for (int row = 1; row <= r.PointCount(); ++row)
        EXPECT_EQ(r.Cell(R::ColVolume, row), volumes[row - 1]) << row;
    EXPECT_EQ(window->Run().ValidationCount(), 3);
}

TEST_F(MeasurementRunUnderWayTest, TwoPressesDuringOneSampleBothCount)
{
    StartRun();
    // During sample 4 (5 to 6 s): both in row 3, 1,3 and 1,6 s after its middle (4,3 and 4,6 s);
    // during sample 6: in row 5, at 7,3 s.
    for (const std::int64_t press : {5300, 5600, 8300}) {
        RunTo(press);
        ASSERT_TRUE(window->Run().SampleUnderWay());
        Space();
    }
    RunTo(9800);
    EXPECT_EQ(window->Record().Cell(R::ColValidation, 3), QStringLiteral("1,6"));
    EXPECT_EQ(window->Edit3->text(), QStringLiteral("4"));
    ToggleRun();
    FinishDroppedSample();
    const R& r = window->Record();
    // Row 4 (4,5 s) lies between the two presses of row 3.
    const QStringList volumes = {QStringLiteral("0,000000"), QStringLiteral("0,000349"), QStringLiteral("0,000698"),
                                 QStringLiteral("0,001667"), QStringLiteral("0,002519")};
    QStringList got;
    for (int row = 1; row <= r.PointCount(); ++row)
        got << r.Cell(R::ColVolume, row);
    EXPECT_EQ(got, volumes);
    EXPECT_EQ(window->Run().ValidationCount(), 3);
}

TEST_F(MeasurementRunUnderWayTest, AReadingThatComesBackAfterItsRunEndedIsDropped)
{
    for (const bool newRun : {false, true}) {
        SCOPED_TRACE(newRun ? "stopped and started again at once" : "stopped");
        StartRun();
        RunTo(2100);
        Space();
        ToggleRun();
        if (newRun)
            ToggleRun();
        FinishDroppedSample();
        EXPECT_EQ(window->Record().PointCount(), newRun ? 0 : 1);
        EXPECT_EQ(window->Edit6->text(), newRun ? QStringLiteral("0") : QStringLiteral("1"));
        EXPECT_FALSE(window->Run().SampleUnderWay());
        if (newRun)
            ToggleRun();
    }
}

TEST_F(MeasurementRunUnderWayTest, ClosingDuringASampleEndsTheThreadOnceTheSampleIsOver)
{
    window->SetQuitDuringRunQuestion([] { return true; });
    StartRun();
    RunTo(1000);
    ASSERT_TRUE(window->Run().SampleUnderWay());
    QThread* thread = window->Measurement().Thread();
    // The sample ends only once the window has begun to end the thread.
    std::thread sampleEnd([&] {
        while (!thread->isInterruptionRequested())
            std::this_thread::yield();
        clock.AdvanceTo(sampleEndMs);
    });
    EXPECT_TRUE(window->close());
    sampleEnd.join();
    EXPECT_TRUE(thread->isFinished());
    EXPECT_TRUE(window->Measurement().Ended());
    QCoreApplication::processEvents();
    EXPECT_EQ(window->Record().PointCount(), 0);
    EXPECT_EQ(window->Measurement().Request(RunTiming::kConversions, RunTiming::kConversionRateHz), 0u);
}

TEST_F(MeasurementRunTest, MeasureButtonFrameFollowsFocusAndState)
{
    window->Button2->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(window->Edit8->palette().color(QPalette::Window), QColor(0, 255, 0));
    ToggleRun();
    EXPECT_EQ(window->Edit8->palette().color(QPalette::Window), QColor(255, 0, 0));
    window->Edit7->setEnabled(true);
    window->Edit7->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(window->Edit8->palette().color(QPalette::Window), QColor(187, 136, 136));
}

}  // namespace

namespace {

class MeasurementRunGuardTest : public RunFixture {};

TEST_F(MeasurementRunGuardTest, OpenReduceAndRestoreAreRefusedDuringARun)
{
    ToggleRun();
    Sample();
    Sample();
    const MainMenu& m = window->Menu();
    for (QAction* item : {m.Ouvrir1, m.Eliminerdespoints1, m.Rtablirtouslespoints1}) {
        window->SetStatusText(QString());
        EXPECT_TRUE(item->isEnabled());
        item->trigger();
        EXPECT_EQ(window->StatusText(), QStringLiteral("Impossible pendant une mesure")) << item->text().toStdString();
        EXPECT_EQ(window->Record().PointCount(), 2);
    }
    EXPECT_TRUE(window->Run().Measuring());
}

// The run alone, on a record, an electrode, the bench's measurement thread and a timer: what
// the window shows of it, it says.
TEST(MeasurementRunAloneTest, ARunWithOnePressSaysItsReadingsVolumesAndPointsKept)
{
    FakeClock clock;
    BoardSetup board = CreateBoard(QStringList(), QString(), clock, nullptr);
    MeasurementThread thread(clock);
    ASSERT_TRUE(thread.Open(board).isEmpty());
    R record;
    ElectrodeCalibration electrode;
    QTimer timer1;
    timer1.blockSignals(true);  // the test takes the samples itself
    MeasurementRun run(record, electrode, thread, clock, timer1);
    QSignalSpy running(&run, &MeasurementRun::RunningChanged);
    QSignalSpy readings(&run, &MeasurementRun::Reading);
    QSignalSpy volumes(&run, &MeasurementRun::NextVolumeChanged);
    QSignalSpy finished(&run, &MeasurementRun::Finished);
    QSignalSpy ended(&run, &MeasurementRun::RunEnded);
    int saves = 0;
    run.SetFinishRun([&] { ++saves; });

    run.Button2KeyUp(Qt::Key_Return);
    for (int n = 1; n <= 3; ++n) {
        clock.Advance(500);
        run.Timer1Timer();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !run.SampleUnderWay(); }, 10000));
        if (n == 2)
            run.ValidateVolume();
    }
    run.Button2KeyUp(Qt::Key_Return);
    thread.End();

    ASSERT_EQ(running.count(), 2);
    EXPECT_TRUE(running[0][0].toBool());
    EXPECT_FALSE(running[1][0].toBool());
    ASSERT_EQ(readings.count(), 3);
    EXPECT_EQ(record.Cell(R::ColPH, 2), NumberText::Fixed(readings[1][1].toDouble(), 5, 3));
    // The press asks for the second millilitre; the end of the run goes back to the first.
    ASSERT_EQ(volumes.count(), 2);
    EXPECT_DOUBLE_EQ(volumes[0][0].toDouble(), 2.0);
    EXPECT_DOUBLE_EQ(volumes[1][0].toDouble(), 1.0);
    // The rows after the last press's row go: two points kept and saved.
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished[0][0].toInt(), 2);
    EXPECT_EQ(record.PointCount(), 2);
    EXPECT_EQ(saves, 1);
    ASSERT_EQ(ended.count(), 1);
    EXPECT_TRUE(ended[0][0].toBool());
}

}  // namespace
