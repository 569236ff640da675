#pragma once

#include "data/MeasuredQuantity.h"
#include "data/MeasurementRecord.h"

#include <QList>
#include <QString>

#include <optional>

// Measurements typed from a meter read by eye: the check of what was typed, the volume to
// propose next, and the record's rows, which hold the points in volume order whatever order
// they were typed in.
namespace TypedMeasurements {

// Beyond these a typed number is a slip (a missing comma), and it would not fit a file's field.
inline constexpr double kMaxVolumeMl = 1000.0;
inline constexpr double kMaxMilliSiemens = 1000.0;
inline constexpr double kMinPH = -2.0;
inline constexpr double kMaxPH = 16.0;
// The step proposed after the first point, and whenever the last two volumes do not rise.
inline constexpr double kDefaultStepMl = 1.0;

struct Point {
    double volumeMl = 0.0;
    double value = 0.0;
};

enum class Field { Volume, Value };

// A point, or the field to correct and the French reason.
struct Checked {
    std::optional<Point> point;
    Field field = Field::Volume;
    QString refusal;
};

// Reads the two fields (',' or '.' as decimal separator).
Checked Check(const QString& volumeText, const QString& valueText, MeasuredQuantity quantity);

// The volume to propose after `typed` (in typing order): the last one plus the step between
// the last two, or plus kDefaultStepMl.
double NextVolumeMl(const QList<Point>& typed);
// As the volume field shows it: up to three decimals, no trailing zeros ("12,5").
QString VolumeText(double volumeMl);

// The grid rows of `typed`, header first: sorted by volume (typing order among equal
// volumes), values in the quantity's file format, volumes in litres fixed(6, 6), "Saisie" in
// the last column's header.
QList<MeasurementRecord::Row> Rows(const QList<Point>& typed, MeasuredQuantity quantity);

}  // namespace TypedMeasurements
