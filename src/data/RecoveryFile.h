#pragma once

#include "data/MeasuredQuantity.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <stdexcept>
#include <vector>

// The file a run writes as it goes, so that a crash, a power cut or a computer switched off
// during a run does not lose it. Plain text, one line per event, appended and never rewritten:
//
//     QUORIN-REPRISE 1            the format and its version
//     D 1714551300123*5be1        the run's start, ms since 1970 (UTC)
//     E 1 1000 4.0123456789*09c3  sample 1: measurement ended 1000 ms after the start; its pH
//     V 1320*7f0a                 a Space press, 1320 ms after the start
//     G 1*4c2e                    what the values measure (MeasuredQuantity), when not the pH
//     M 2 5300 2.5 4.1*0b1d       typed point 2, 5300 ms after the start: 2,5 mL, its value;
//                                 a number already typed is the correction of that point
//     X 1*77aa                    the typed points after the first one were removed
//
// Every line after the first ends with the CRC-16 of what precedes its '*', so a line cut
// short, or the zeros or stale bytes a power cut can leave at the end of a file, is recognised
// as damage wherever the cut falls. Reading keeps every whole line before the first damaged one.
namespace RecoveryFile {

inline constexpr int kVersion = 1;

// A file that is not a run's recovery file, or of a version this program does not read.
class Unreadable : public std::runtime_error {
public:
    explicit Unreadable(const QString& reason);
    QString Text() const { return QString::fromUtf8(what()); }
};

// The first two lines, for a run started at `started`.
QByteArray Header(const QDateTime& started);
// Sample `row` (from 1, in order); `endMs` on the run's clock from its start.
QByteArray SampleLine(int row, std::int64_t endMs, double pH);
// A Space press, on the run's clock from its start.
QByteArray PressLine(std::int64_t ms);
// The quantity of the values that follow.
QByteArray QuantityLine(MeasuredQuantity quantity);
// Typed point `number` (from 1; at most one more than those typed), at `ms` from the start.
QByteArray TypedLine(int number, std::int64_t ms, double volumeMl, double value);
// Only the first `count` typed points remain.
QByteArray TypedCountLine(int count);

struct TypedPoint {
    std::int64_t ms = 0;
    double volumeMl = 0.0;
    double value = 0.0;
};

struct Contents {
    QDateTime started;                       // invalid when the file was cut before it
    std::vector<std::int64_t> sampleEndsMs;  // one per whole sample, in order
    std::vector<double> pH;                  // likewise
    std::vector<std::int64_t> pressesMs;     // every press line before the damage
    bool damaged = false;                    // something after the last whole line was left out
    MeasuredQuantity quantity = MeasuredQuantity::PH;
    std::vector<TypedPoint> typed;           // a typed series' points, in typing order

    int SampleCount() const { return static_cast<int>(pH.size()); }
    // Samples of a run, or points of a typed series.
    int PointCount() const { return SampleCount() + static_cast<int>(typed.size()); }
    // When the run was last heard of: the end of its last whole sample (its start without one).
    QDateTime LastSampleTime() const;
};

// Throws Unreadable when the first line is not this format's (a file cut inside it counts as
// one that holds nothing).
Contents Parse(const QByteArray& bytes);

// Reads and parses a file; throws FileError when it cannot be read, Unreadable as Parse.
Contents Read(const QString& path);

}  // namespace RecoveryFile
