#include "data/ReceivedMeasurements.h"

#include "data/DataLog.h"
#include "data/ReferenceCurve.h"
#include "data/SentMeasurement.h"
#include "data/TitrationJumps.h"

#include <algorithm>

ReceivedMeasurements::ReceivedMeasurements(QObject* parent)
    : QObject(parent)
    , now_([] { return QDateTime::currentDateTime(); })
{
}

namespace {

void AnalyseCurve(ReceivedMeasurements::Entry& entry, std::optional<double> beakerVolumeMl)
{
    entry.jumps.clear();
    entry.equivalence.reset();
    entry.conductimetric.reset();
    if (MeasuredQuantities::IsConductivity(entry.quantity)) {
        entry.conductimetric = ConductimetricAnalysis::Analyse(entry.points, beakerVolumeMl).result;
        return;
    }
    entry.jumps = TitrationJumps::FindAll(entry.points);
    if (!entry.jumps.empty())
        entry.equivalence = entry.jumps[TitrationJumps::Steepest(entry.jumps)];
}

}  // namespace

std::optional<double> ReceivedMeasurements::Entry::ClassVolumeMl() const
{
    if (conductimetric)
        return conductimetric->volumeMl;
    if (!jumps.empty())
        return jumps.front().volumeMl;
    return std::nullopt;
}

ReceivedMeasurements::Entry ReceivedMeasurements::Analyse(const QString& peerAddress, const QString& text,
                                                          quint64 arrivalNumber, const QDateTime& arrival,
                                                          std::optional<double> beakerVolumeMl)
{
    Entry entry;
    entry.arrivalNumber = arrivalNumber;
    entry.arrival = arrival;
    entry.peerAddress = peerAddress;
    entry.text = text;
    ReferenceCurve::TextPoints read = ReferenceCurve::ReadPoints(text);
    entry.readable = !read.unreadable && !read.points.isEmpty();
    if (!entry.readable)
        return entry;
    entry.measurementText = text.left(read.dataLength) + QStringLiteral("\r\r\r");
    const auto byVolume = [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); };
    std::stable_sort(read.points.begin(), read.points.end(), byVolume);
    entry.points = std::move(read.points);
    entry.quantity = SentMeasurement::Quantity(text, read.dataLength);
    AnalyseCurve(entry, beakerVolumeMl);
    return entry;
}

void ReceivedMeasurements::Add(const QString& peerAddress, const QString& text, quint64 arrivalNumber)
{
    Entry entry = Analyse(peerAddress, text, arrivalNumber, now_(), beakerVolumeMl_);
    if (entry.readable)
        qCInfo(lcData).noquote() << QStringLiteral("Mesure reçue de %1 : %2 points").arg(peerAddress).arg(entry.points.size());
    else
        qCWarning(lcData).noquote() << QStringLiteral("Texte reçu de %1 : pas une mesure lisible").arg(peerAddress);
    // Hand-overs from several connection threads may come in a different order than the
    // texts arrived: each goes after every entry that arrived before it.
    const auto at = std::upper_bound(entries_.begin(), entries_.end(), arrivalNumber,
                                     [](quint64 number, const Entry& e) { return number < e.arrivalNumber; });
    entries_.insert(at, std::move(entry));
    if (entries_.size() > kCapacity) {
        const qsizetype excess = entries_.size() - kCapacity;
        entries_.remove(0, excess);
        dropped_ += static_cast<int>(excess);
    }
    emit Changed();
}

void ReceivedMeasurements::Clear()
{
    entries_.clear();
    dropped_ = 0;
    emit Changed();
}

void ReceivedMeasurements::SetBeakerVolumeMl(std::optional<double> beakerVolumeMl)
{
    if (beakerVolumeMl == beakerVolumeMl_)
        return;
    beakerVolumeMl_ = beakerVolumeMl;
    bool changed = false;
    for (Entry& entry : entries_) {
        if (entry.readable && MeasuredQuantities::IsConductivity(entry.quantity)) {
            AnalyseCurve(entry, beakerVolumeMl_);
            changed = true;
        }
    }
    if (changed)
        emit Changed();
}
