#pragma once

#include "acquisition/RunRecovery.h"
#include "board/BoardReading.h"
#include "data/RecoveryFile.h"
#include "data/VolumeReconstruction.h"

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
    // Where every sample and press of a run is kept as it comes, for a run that a crash ends.
    void SetRecovery(RunRecovery* recovery) { recovery_ = recovery; }

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

    using Recovered = RunRecovery::Outcome;
    // Rebuilds the record from a run that a crash ended, as if Enter had ended it after its
    // last whole sample: the volumes, the held copy and the next numbered save. Not during a run.
    Recovered Recover(const RecoveryFile::Contents& run);

    // How a board failure is shown: the driver's status in the status bar, an exception in
    // the error box.
    static void ReportBoardFailure(TFAcquisition& window, const BoardReading& reading);

private:
    void Start();
    void Stop();
    // The end of a run, or of a run rebuilt from its recovery file: volumes, count, save.
    Recovered Finish(const QString& journalText);
    void SampleMeasured(const BoardReading& reading);
    // The presses known so far, each in its row (a press made while a sample was under way
    // moves to that sample's row once its reading shows that it ended before the press).
    std::vector<VolumeReconstruction::Mark> Marks() const;
    // Each of the rows from `firstRow` on shows the latest press in it, or nothing.
    void ShowMarks(int firstRow);
    void CountPresses();
    void ShowNextVolume();
    void ScheduleNextSample();
    void SetFrameColour();

    TFAcquisition& window_;
    ElectrodeCalibration& electrode_;
    MeasurementThread& board_;
    Clock& clock_;
    std::function<void()> finishRun_;
    RunRecovery* recovery_ = nullptr;
    bool measuring_ = false;
    bool button2Focused_ = false;
    int validationCount_ = 0;
    int samplesTaken_ = 0;
    std::int64_t firstSampleStartMs_ = 0;
    std::int64_t lastSampleTick_ = 0;
    std::uint64_t pendingTag_ = 0;
    // On the clock, from the run's start: when each sample's measurement ended, and every
    // Space press of the run, each kept with its own time.
    std::int64_t runStartMs_ = 0;
    std::vector<std::int64_t> sampleEndsMs_;
    std::vector<std::int64_t> pressesMs_;
};
