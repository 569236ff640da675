#pragma once

#include "acquisition/RunRecovery.h"
#include "board/BoardReading.h"
#include "data/RecoveryFile.h"
#include "data/VolumeReconstruction.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class Clock;
class ElectrodeCalibration;
class MeasurementRecord;
class MeasurementThread;
class QTimer;

// The keyboard-driven titration run: Enter on the measure button starts and stops it, a
// sample every 1.5 s, Space records how long after the latest sample one more millilitre
// had run out. At the stop the marks become volumes and the points are saved.
//
// The board is read on the measurement thread: a tick asks for a sample and the window goes on
// answering, so a key press is dated when it happens, and goes in the row of the latest sample
// completed at that moment.
//
// The run writes the record and paces itself with the timer it is handed (the window's
// Timer1); whatever the window shows of it (the readings, the next volume, the count, the
// buttons) it says through its signals.
class MeasurementRun : public QObject {
    Q_OBJECT

public:
    MeasurementRun(MeasurementRecord& record, ElectrodeCalibration& electrode, MeasurementThread& board, Clock& clock,
                   QTimer& timer1, QObject* parent = nullptr);

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

    using Recovered = RunRecovery::Outcome;
    // Rebuilds the record from a run that a crash ended, as if Enter had ended it after its
    // last whole sample: the volumes, the held copy and the next numbered save. Not during a run.
    Recovered Recover(const RecoveryFile::Contents& run);

signals:
    // The run started (at once) or ended (once its points are saved, or could not be).
    void RunningChanged(bool running);
    // The sample just taken: the electrode's voltage and its pH.
    void Reading(double volts, double pH);
    // What the next Space press validates, in millilitres.
    void NextVolumeChanged(double millilitres);
    // The points kept at the end of a run, or of a run rebuilt from its recovery file.
    void Finished(int pointCount);
    // A sample the board could not take; the run has ended as an Enter would.
    void ReadingFailed(const BoardReading& reading);
    // What a run's recovery file keeps as it goes: its start, each sample (from 1, in order)
    // and each press on the run's clock, and its end (`saved` false: the points are not saved
    // anywhere yet).
    void RunStarted(const QDateTime& started);
    void SampleTaken(qint64 endMs, double pH);
    void Pressed(qint64 ms);
    void RunEnded(bool saved);

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
    void ScheduleNextSample();

    MeasurementRecord& record_;
    ElectrodeCalibration& electrode_;
    MeasurementThread& board_;
    Clock& clock_;
    QTimer& timer1_;
    std::function<void()> finishRun_;
    bool measuring_ = false;
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
