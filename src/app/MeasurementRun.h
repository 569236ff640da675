#pragma once

#include "BoardReading.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class Clock;
class ElectrodeCalibration;
class MeasurementRecord;
class MeasurementThread;
class TFAcquisition;

// The keyboard-driven titration run: Enter on the measure button starts and stops it, a
// sample every 1.5 s, Space records how long after the latest sample one more millilitre
// had run out. At the stop the marks become volumes and the points are saved.
//
// The board is read on the measurement thread: a tick asks for a sample and the window goes on
// answering, so a key press is dated when it happens, and goes in the row of the latest sample
// completed at that moment.
class MeasurementRun : public QObject {
    Q_OBJECT

public:
    static constexpr int kSamplePeriodMs = 1500;
    static constexpr int kSampleDurationMs = 1000;
    static constexpr double kVolumeStepL = 0.001;
    static constexpr std::uint32_t kSamples = 15700;
    static constexpr double kSampleRate = 15700.0;

    MeasurementRun(TFAcquisition& window, ElectrodeCalibration& electrode, MeasurementThread& board, Clock& clock);

    // Called at the stop, after the volume reconstruction, when points remain: takes the
    // held copy and saves the next numbered file. A failure it throws is reported and the
    // stop still completes.
    void SetFinishRun(std::function<void()> finish) { finishRun_ = std::move(finish); }

    bool Measuring() const { return measuring_; }
    // A sample has been asked for and its reading has not come back yet.
    bool SampleUnderWay() const { return pendingTag_ != 0; }
    int ValidationCount() const { return validationCount_; }
    // When the latest sample's measurement ended, on the clock.
    std::int64_t LastSampleTick() const { return lastSampleTick_; }
    // When the next sample is due on the clock (valid while measuring).
    std::int64_t NextSampleDueMs() const;

    // A key released on the measure button, whose press the button received; Enter toggles
    // the run.
    void Button2KeyUp(int key);
    // Asks for one sample; Timer1 calls it, re-armed so that sample n starts at
    // t0 + (n - 1) x 1.5 s. Does nothing while a sample is under way.
    void Timer1Timer();
    // One Space press during the run, dated now.
    void ValidateVolume();
    void Button2Enter();
    void Button2Exit();

    // How a board failure is shown: the driver's status in the status bar, an exception in
    // the error box.
    static void ReportBoardFailure(TFAcquisition& window, const BoardReading& reading);

private:
    // A press made while a sample was under way: until its reading comes back, it is not
    // known whether the press came before or after the end of that sample.
    struct Press {
        std::int64_t ms;
        bool recorded;        // written in the row that was the latest at the press
        QString cellBefore;   // that row's validation cell before the press wrote it
    };

    void Start();
    void Stop();
    void SampleMeasured(const BoardReading& reading);
    // In the latest row, counted; nothing before the first sample.
    bool RecordPress(std::int64_t pressMs);
    void WriteMark(std::int64_t pressMs);
    void ShowNextVolume();
    void ScheduleNextSample();
    void SetFrameColour();

    TFAcquisition& window_;
    ElectrodeCalibration& electrode_;
    MeasurementThread& board_;
    Clock& clock_;
    std::function<void()> finishRun_;
    bool measuring_ = false;
    bool button2Focused_ = false;
    int validationCount_ = 0;
    int samplesTaken_ = 0;
    std::int64_t firstSampleStartMs_ = 0;
    std::int64_t lastSampleTick_ = 0;
    std::uint64_t pendingTag_ = 0;
    std::vector<Press> pressesUnderWay_;
};
