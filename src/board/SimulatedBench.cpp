#include "board/SimulatedBench.h"

#include "board/BoardRangeError.h"
#include "board/Clock.h"
#include "chemistry/TitrationConductivity.h"

#include <algorithm>
#include <cmath>

SimulatedBench::SimulatedBench(Clock& clock, QObject* parent, std::uint32_t noiseSeed)
    : QObject(parent), clock_(clock), random_(noiseSeed)
{
}

double SimulatedBench::NowMs() const
{
    return static_cast<double>(clock_.NowMs());
}

SimulatedBench::Probe SimulatedBench::ProbeInUse() const
{
    const std::lock_guard lock(mutex_);
    return probe_;
}

void SimulatedBench::SetProbe(Probe probe)
{
    {
        const std::lock_guard lock(mutex_);
        probe_ = probe;
    }
    emit Changed();
}

SimulatedBench::CellPlace SimulatedBench::CellDippedIn() const
{
    const std::lock_guard lock(mutex_);
    return cellPlace_;
}

void SimulatedBench::DipCell(CellPlace place)
{
    {
        const std::lock_guard lock(mutex_);
        cellPlace_ = place;
    }
    emit Changed();
}

SimulatedBench::ElectrodePlace SimulatedBench::Place() const
{
    const std::lock_guard lock(mutex_);
    return place_;
}

void SimulatedBench::SetPlace(ElectrodePlace place)
{
    {
        const std::lock_guard lock(mutex_);
        place_ = place;
    }
    emit Changed();
}

SimulatedBench::Acid SimulatedBench::BeakerAcid() const
{
    const std::lock_guard lock(mutex_);
    return acid_;
}

void SimulatedBench::SetAcid(Acid acid)
{
    {
        const std::lock_guard lock(mutex_);
        acid_ = acid;
        ResetBeaker();
    }
    emit Changed();
}

void SimulatedBench::NewBeaker()
{
    {
        const std::lock_guard lock(mutex_);
        ResetBeaker();
    }
    emit Changed();
}

double SimulatedBench::AddedWaterMl() const
{
    const std::lock_guard lock(mutex_);
    return waterMl_;
}

void SimulatedBench::SetAddedWaterMl(double volumeMl)
{
    if (!(volumeMl >= 0.0 && volumeMl <= kMaxAddedWaterMl))
        throw BoardRangeError(QStringLiteral("Volume d'eau ajoutée hors limites : de 0 à 500 mL."));
    {
        const std::lock_guard lock(mutex_);
        waterMl_ = volumeMl;
        ResetBeaker();
    }
    emit Changed();
}

double SimulatedBench::BeakerVolumeMl() const
{
    const std::lock_guard lock(mutex_);
    return kAcidVolumeMl + waterMl_;
}

double SimulatedBench::AcidMolPerL() const
{
    // Written so that without water the ratio is exactly 1 and the beaker is today's.
    return kAcidMolPerL * (kAcidVolumeMl / (kAcidVolumeMl + waterMl_));
}

void SimulatedBench::ResetBeaker()
{
    tapOpen_ = false;
    pouredMl_ = 0.0;
    sinceMs_ = NowMs();
    cachedPouredMl_ = -1.0;
    cachedSigmaPouredMl_ = -1.0;
}

bool SimulatedBench::TapOpen() const
{
    const std::lock_guard lock(mutex_);
    return tapOpen_;
}

void SimulatedBench::OpenTap()
{
    {
        const std::lock_guard lock(mutex_);
        if (tapOpen_)
            return;
        sinceMs_ = NowMs();
        tapOpen_ = true;
    }
    emit Changed();
}

void SimulatedBench::CloseTap()
{
    {
        const std::lock_guard lock(mutex_);
        if (!tapOpen_)
            return;
        const double now = NowMs();
        pouredMl_ = PouredAt(now);
        sinceMs_ = now;
        tapOpen_ = false;
    }
    emit Changed();
}

double SimulatedBench::SecondsPerMl() const
{
    const std::lock_guard lock(mutex_);
    return secondsPerMl_;
}

void SimulatedBench::SetSecondsPerMl(double seconds)
{
    if (!(seconds >= kMinSecondsPerMl && seconds <= kMaxSecondsPerMl))
        throw BoardRangeError(
            QStringLiteral("Débit de la burette hors limites : 1 mL doit couler en 1 à 600 secondes."));
    {
        const std::lock_guard lock(mutex_);
        const double now = NowMs();
        pouredMl_ = PouredAt(now);
        sinceMs_ = now;
        secondsPerMl_ = seconds;
    }
    emit Changed();
}

double SimulatedBench::PouredVolumeMl() const
{
    const std::lock_guard lock(mutex_);
    return PouredAt(NowMs());
}

double SimulatedBench::PouredVolumeMlAt(double timeMs) const
{
    const std::lock_guard lock(mutex_);
    return PouredAt(timeMs);
}

double SimulatedBench::PouredAt(double timeMs) const
{
    if (!tapOpen_)
        return pouredMl_;
    const double flowingMs = std::max(0.0, timeMs - sinceMs_);
    return std::min(kBuretteCapacityMl, pouredMl_ + flowingMs / 1000.0 / secondsPerMl_);
}

bool SimulatedBench::BuretteEmpty() const
{
    return PouredVolumeMl() >= kBuretteCapacityMl;
}

double SimulatedBench::BeakerPH() const
{
    const std::lock_guard lock(mutex_);
    return BeakerPHFor(PouredAt(NowMs()));
}

double SimulatedBench::BeakerPHFor(double pouredMl) const
{
    if (pouredMl != cachedPouredMl_) {
        cachedPH_ = TitrationChemistry::PH(acid_, AcidMolPerL(), kAcidVolumeMl + waterMl_, kBaseMolPerL, pouredMl);
        cachedPouredMl_ = pouredMl;
    }
    return cachedPH_;
}

double SimulatedBench::BeakerConductivity() const
{
    const std::lock_guard lock(mutex_);
    return BeakerConductivityFor(PouredAt(NowMs()));
}

double SimulatedBench::BeakerConductivityFor(double pouredMl) const
{
    if (pouredMl != cachedSigmaPouredMl_) {
        cachedSigma_ = TitrationConductivity::MilliSiemensPerCm(acid_, AcidMolPerL(), kAcidVolumeMl + waterMl_,
                                                                kBaseMolPerL, pouredMl);
        cachedSigmaPouredMl_ = pouredMl;
    }
    return cachedSigma_;
}

double SimulatedBench::CellConductivityAt(double timeMs) const
{
    const std::lock_guard lock(mutex_);
    return CellConductivity(timeMs);
}

double SimulatedBench::CellConductivity(double timeMs) const
{
    switch (cellPlace_) {
    case CellPlace::DistilledWater:
        return kDistilledWaterMSPerCm;
    case CellPlace::KClStandard:
        return kKClStandardMSPerCm;
    case CellPlace::Beaker:
        break;
    }
    return BeakerConductivityFor(PouredAt(timeMs));
}

double SimulatedBench::CellVoltage(double milliSiemensPerCm)
{
    return kCellVoltsPerMSPerCm * std::clamp(milliSiemensPerCm, 0.0, kCellFullScaleMSPerCm) + kCellOffsetV;
}

double SimulatedBench::ElectrodePHAt(double timeMs) const
{
    const std::lock_guard lock(mutex_);
    return ElectrodePH(timeMs);
}

double SimulatedBench::ElectrodePH(double timeMs) const
{
    switch (place_) {
    case ElectrodePlace::Buffer4:
        return 4.0;
    case ElectrodePlace::Buffer7:
        return 7.0;
    case ElectrodePlace::Buffer10:
        return 10.0;
    case ElectrodePlace::Beaker:
        break;
    }
    return BeakerPHFor(PouredAt(timeMs));
}

double SimulatedBench::ElectrodeVoltage(double pH)
{
    return kNernstSlopeVPerPH * (pH - 7.0) + kElectrodeOffsetV;
}

double SimulatedBench::Voltage(int channel, double timeMs)
{
    const std::lock_guard lock(mutex_);
    const double noise = noise_(random_);
    if (channel != 1)
        return noise;
    if (probe_ == Probe::ConductivityCell)
        return CellVoltage(CellConductivity(timeMs)) + noise;
    return ElectrodeVoltage(ElectrodePH(timeMs)) + noise;
}
