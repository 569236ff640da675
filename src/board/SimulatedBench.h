#pragma once

#include "board/VoltageSource.h"
#include "chemistry/TitrationChemistry.h"

#include <QObject>

#include <cstdint>
#include <mutex>
#include <random>

class Clock;

// A titration bench in software, the emulated board's voltage source: a probe (a pH electrode
// or a conductimetry cell) dipped in a standard or in the beaker, and a burette of sodium
// hydroxide whose tap pours at a steady flow. The volume poured is a function of the clock's
// time, so it advances while the program waits and tests set it by moving a fake clock.
//
// Channel 1 carries the probe's voltage. The pH electrode: Nernst slope -59,16 mV per pH at
// 25 °C, 0 V at pH 7, plus a 4 mV offset. The conductimetry cell is read through its meter's
// analogue output, linear over the meter's range 0 to 20 mS/cm: 0,2 V per mS/cm plus a 3 mV
// offset, so 0 to 4 V, held at 4 V above the range. Both carry about 1 mV of noise (0,005 mS/cm
// through the meter). Channel 2 stays near 0 V.
//
// The beaker holds 20 mL of acid plus the water the operator adds so that the dilution stays
// small; its pH and conductivity come from the charge balance at the poured volume, the added
// water and the poured base counted in the volume.
//
// Safe across threads: the bench window works it on the window's thread while the measurement
// thread reads its voltages. Changed is emitted on the thread that made the change.
class SimulatedBench : public QObject, public VoltageSource {
    Q_OBJECT

public:
    enum class Probe { PHElectrode, ConductivityCell };
    enum class ElectrodePlace { Buffer4, Buffer7, Buffer10, Beaker };
    enum class CellPlace { DistilledWater, KClStandard, Beaker };
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
    static constexpr double kCellVoltsPerMSPerCm = 0.2;
    static constexpr double kCellOffsetV = 0.003;
    static constexpr double kCellFullScaleMSPerCm = 20.0;
    // Freshly distilled water holds a little dissolved carbon dioxide: about 1 µS/cm.
    static constexpr double kDistilledWaterMSPerCm = 0.001;
    // The potassium chloride standard at 0,01 mol/L, 25 °C.
    static constexpr double kKClStandardMSPerCm = 1.413;
    static constexpr double kMaxAddedWaterMl = 500.0;

    // The clock must outlive the bench. The same seed gives the same noise.
    explicit SimulatedBench(Clock& clock, QObject* parent = nullptr, std::uint32_t noiseSeed = 7);

    // The probe on channel 1. Changing it leaves the burette, its tap and the beaker as they
    // are; each probe keeps its own place.
    Probe ProbeInUse() const;
    void SetProbe(Probe probe);

    // Where the pH electrode is dipped.
    ElectrodePlace Place() const;
    void SetPlace(ElectrodePlace place);
    // Where the conductimetry cell is dipped.
    CellPlace CellDippedIn() const;
    void DipCell(CellPlace place);

    // Choosing the acid sets up a fresh beaker of it and a full burette.
    Acid BeakerAcid() const;
    void SetAcid(Acid acid);
    // A fresh beaker of the same acid, a full burette, the tap closed.
    void NewBeaker();
    // Water added to the acid, 0 to kMaxAddedWaterMl; throws BoardRangeError outside. Setting
    // it prepares a fresh beaker with that water and a full burette, as choosing the acid does.
    double AddedWaterMl() const;
    void SetAddedWaterMl(double volumeMl);
    // The beaker's volume before any base is poured: the acid and the added water (Va of the
    // dilution correction).
    double BeakerVolumeMl() const;

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

    // Conductivity of the beaker now, in mS/cm, and what the cell sees at a given time.
    double BeakerConductivity() const;
    double CellConductivityAt(double timeMs) const;
    // The meter's output for a conductivity in mS/cm, without noise.
    static double CellVoltage(double milliSiemensPerCm);

    // Channel 1: the probe in use; channel 2: near 0 V. Each call draws fresh noise.
    double Voltage(int channel, double timeMs) override;

signals:
    // Probe, place, acid, added water, tap or flow changed (the poured volume changes
    // continuously without it).
    void Changed();

private:
    // The helpers below expect mutex_ held by their caller.
    double NowMs() const;
    double PouredAt(double timeMs) const;
    double BeakerPHFor(double pouredMl) const;
    double BeakerConductivityFor(double pouredMl) const;
    double ElectrodePH(double timeMs) const;
    double CellConductivity(double timeMs) const;
    double AcidMolPerL() const;
    void ResetBeaker();

    Clock& clock_;
    mutable std::mutex mutex_;
    Probe probe_ = Probe::PHElectrode;
    ElectrodePlace place_ = ElectrodePlace::Buffer7;
    CellPlace cellPlace_ = CellPlace::DistilledWater;
    Acid acid_ = Acid::Hydrochloric;
    double waterMl_ = 0.0;
    bool tapOpen_ = false;
    double secondsPerMl_ = kDefaultSecondsPerMl;
    // Poured up to `sinceMs`; while the tap is open the flow adds to it from then on.
    double pouredMl_ = 0.0;
    double sinceMs_ = 0.0;
    std::mt19937 random_;
    std::normal_distribution<double> noise_{0.0, kNoiseV};
    // The last beaker computations, reused while the volume stands still. A new beaker resets
    // them, since its acid or water may differ.
    mutable double cachedPouredMl_ = -1.0;
    mutable double cachedPH_ = 0.0;
    mutable double cachedSigmaPouredMl_ = -1.0;
    mutable double cachedSigma_ = 0.0;
};
