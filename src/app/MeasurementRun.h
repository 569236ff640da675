#pragma once

#include <QObject>

#include <cstdint>
#include <functional>

class Clock;
class ElectrodeCalibration;
class MeasurementRecord;
class TFAcquisition;
class TTorviC;

// The keyboard-driven titration run: Enter on the measure button starts and stops it, a
// sample every 1.5 s, Space records how long after the latest sample one more millilitre
// had run out. At the stop the marks become volumes and the points are saved.
class MeasurementRun : public QObject {
    Q_OBJECT

public:
    static constexpr int kSamplePeriodMs = 1500;
    static constexpr int kSampleDurationMs = 1000;
    static constexpr double kVolumeStepL = 0.001;
    static constexpr std::uint32_t kSamples = 15700;
    static constexpr double kSampleRate = 15700.0;

    MeasurementRun(TFAcquisition& window, ElectrodeCalibration& electrode, TTorviC& board, Clock& clock);

    // Called at the stop, after the volume reconstruction, when points remain: takes the
    // held copy and saves the next numbered file. A failure it throws is reported and the
    // stop still completes.
    void SetFinishRun(std::function<void()> finish) { finishRun_ = std::move(finish); }

    bool Measuring() const { return measuring_; }
    int ValidationCount() const { return validationCount_; }
    std::int64_t LastSampleTick() const { return lastSampleTick_; }
    // When the next sample is due on the clock (valid while measuring).
    std::int64_t NextSampleDueMs() const;

    // A key released while the measure button has the focus; Enter toggles the run.
    void Button2KeyUp(int key);
    // One sample; Timer1 calls it, re-armed so that sample n starts at t0 + (n - 1) x 1.5 s.
    void Timer1Timer();
    // One Space press during the run.
    void ValidateVolume();
    void Button2Enter();
    void Button2Exit();

private:
    void Start();
    void Stop();
    void ScheduleNextSample();
    void SetFrameColour();

    TFAcquisition& window_;
    ElectrodeCalibration& electrode_;
    TTorviC& board_;
    Clock& clock_;
    std::function<void()> finishRun_;
    bool measuring_ = false;
    bool button2Focused_ = false;
    int validationCount_ = 0;
    int samplesTaken_ = 0;
    std::int64_t firstSampleStartMs_ = 0;
    std::int64_t lastSampleTick_ = 0;
};
