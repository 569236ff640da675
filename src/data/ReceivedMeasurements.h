#pragma once

#include "data/ConductimetricAnalysis.h"
#include "data/MeasuredQuantity.h"
#include "data/TitrationAnalysis.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// The measurement texts that this copy of the program received since it started, for the
// teacher's station: each with its arrival time, the sender's address and what the analysis
// finds in it. At most kCapacity are kept; past that the oldest go and are counted.
//
// It lives on the window's thread: the server's connection threads hand texts over through a
// queued signal and never wait for it.
class ReceivedMeasurements : public QObject {
    Q_OBJECT

public:
    static constexpr int kCapacity = 200;

    struct Entry {
        // Order of arrival over the whole program: a sender that waits for each
        // acknowledgement has its texts numbered in the order it sent them.
        quint64 arrivalNumber = 0;
        QDateTime arrival;
        QString peerAddress;
        QString text;
        // The measurement text that the points were read from: the text's whole pairs as they
        // came, then the three CR that end a measurement text; empty when not readable.
        QString measurementText;
        // False when the text is not a measurement text: a field that is not a number, or no point.
        bool readable = false;
        QList<QPointF> points;  // (mL, pH or conductivity), sorted by volume
        // What the sender's record measured, named after the points (pH when nothing is).
        MeasuredQuantity quantity = MeasuredQuantity::PH;
        // A pH curve: every equivalence in volume order, and the steepest of them.
        std::vector<TitrationAnalysis::Equivalence> jumps;
        std::optional<TitrationAnalysis::Equivalence> equivalence;
        // A conductivity curve: where its two lines meet.
        std::optional<ConductimetricAnalysis::Result> conductimetric;

        // The Ve that the class compares: the first equivalence of a pH curve (the one Ca comes
        // from for a species of several acidities), the lines' crossing of a conductivity curve.
        std::optional<double> ClassVolumeMl() const;
    };
    using Now = std::function<QDateTime()>;

    explicit ReceivedMeasurements(QObject* parent = nullptr);

    // The arrival time of the next texts (tests fix it); the system's local time by default.
    void SetClock(Now now) { now_ = std::move(now); }

    // Analyses the text and keeps it in arrival order; a text of any content is kept, unreadable
    // ones marked so.
    void Add(const QString& peerAddress, const QString& text, quint64 arrivalNumber);
    void Clear();
    // Va in mL for the conductivity curves' dilution correction (none: uncorrected); the curves
    // already kept are analysed again.
    void SetBeakerVolumeMl(std::optional<double> beakerVolumeMl);

    // Oldest first.
    const QList<Entry>& Entries() const { return entries_; }
    // How many of the oldest went to keep kCapacity, since the start or the last Clear.
    int DroppedCount() const { return dropped_; }

    // One analysis per text: the equivalences of a pH curve, the two lines of a conductivity
    // curve (corrected for the dilution when Va is given).
    static Entry Analyse(const QString& peerAddress, const QString& text, quint64 arrivalNumber,
                         const QDateTime& arrival, std::optional<double> beakerVolumeMl = std::nullopt);

signals:
    void Changed();

private:
    Now now_;
    QList<Entry> entries_;
    int dropped_ = 0;
    std::optional<double> beakerVolumeMl_;
};
