#pragma once

#include "board/VoltageSource.h"
#include "chemistry/TitrationChemistry.h"

#include <QObject>

#include <cstdint>
#include <mutex>
#include <random>

class Clock;

// A titration bench in software, the emulated board's voltage source: a pH electrode dipped in
// a buffer or in the beaker, and a burette of sodium hydroxide whose tap pours at a steady
// flow. The volume poured is a function of the clock's time, so it advances while the program
// waits and tests set it by moving a fake clock.
//
// Channel 1 carries the electrode voltage: Nernst slope -59,16 mV per pH at 25 °C, 0 V at
// pH 7, plus a small offset and about 1 mV of noise. Channel 2 stays near 0 V.
//
// Safe across threads: the bench window works it on the window's thread while the measurement
// thread reads its voltages. Changed is emitted on the thread that made the change.
class SimulatedBench : public QObject, public VoltageSource {
    Q_OBJECT

public:
    enum class ElectrodePlace { Buffer4, Buffer7, Buffer10, Beaker };
    using Acid = TitrationChemistry::Acid;

    static constexpr double kAcidVolumeMl = 20.0;
    static constexpr double kAcidMolPerL = 0.01;
    static constexpr double kBaseMolPerL = 0.01;
    static constexpr double kBuretteCapacityMl = 50.0;
    static constexpr double kDefaultSecondsPerMl = 5.0;
    static constexpr double kMinSecondsPerMl = 1.0;
    static constexpr double kMaxSecondsPerMl = 600.0;
    static constexpr double kNernstSlopeVPerPH = -0.05916;
    static constexpr double kElectrodeOffsetV = 0.004;
    static constexpr double kNoiseV = 0.001;

    // The clock must outlive the bench. The same seed gives the same noise.
    explicit SimulatedBench(Clock& clock, QObject* parent = nullptr, std::uint32_t noiseSeed = 7);

    ElectrodePlace Place() const;
    void SetPlace(ElectrodePlace place);

    // Choosing the acid sets up a fresh beaker of it and a full burette.
    Acid BeakerAcid() const;
    void SetAcid(Acid acid);
    // A fresh beaker of the same acid, a full burette, the tap closed.
    void NewBeaker();

    bool TapOpen() const;
    void OpenTap();
    void CloseTap();
    // Flow as the time one millilitre takes, kMinSecondsPerMl to kMaxSecondsPerMl; throws
    // BoardRangeError outside. A change while the tap is open applies from now on.
    double SecondsPerMl() const;
    void SetSecondsPerMl(double seconds);

    double PouredVolumeMl() const;
    double PouredVolumeMlAt(double timeMs) const;
    bool BuretteEmpty() const;

    // pH of the beaker now, and what the electrode sees at a given time.
    double BeakerPH() const;
    double ElectrodePHAt(double timeMs) const;
    // The electrode's voltage for a pH, without noise.
    static double ElectrodeVoltage(double pH);

    // Channel 1: the electrode; channel 2: near 0 V. Each call draws fresh noise.
    double Voltage(int channel, double timeMs) override;

signals:
    // Place, acid, tap or flow changed (the poured volume changes continuously without it).
    void Changed();

private:
    // The helpers below expect mutex_ held by their caller.
    double NowMs() const;
    double PouredAt(double timeMs) const;
    double BeakerPHFor(double pouredMl) const;
    double ElectrodePH(double timeMs) const;
    void ResetBeaker();

    Clock& clock_;
    mutable std::mutex mutex_;
    ElectrodePlace place_ = ElectrodePlace::Buffer7;
    Acid acid_ = Acid::Hydrochloric;
    bool tapOpen_ = false;
    double secondsPerMl_ = kDefaultSecondsPerMl;
    // Poured up to `sinceMs`; while the tap is open the flow adds to it from then on.
    double pouredMl_ = 0.0;
    double sinceMs_ = 0.0;
    std::mt19937 random_;
    std::normal_distribution<double> noise_{0.0, kNoiseV};
    // The last beaker computation, reused while the volume stands still.
    mutable double cachedPouredMl_ = -1.0;
    mutable Acid cachedAcid_ = Acid::Hydrochloric;
    mutable double cachedPH_ = 0.0;
};
