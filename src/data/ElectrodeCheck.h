#pragma once

#include <QString>

#include <optional>

// How the electrode behaved in a calibration: its slope against the Nernst slope at 25 °C and
// its offset, the voltage at which it reads pH 7. A tired electrode answers with a smaller
// slope; a polluted reference shifts the offset.
namespace ElectrodeCheck {

inline constexpr double kNernstMvPerPH = 59.16;
// Outside these bounds the electrode wants cleaning, new filling or replacing.
inline constexpr int kLowestSlopePercent = 90;
inline constexpr int kHighestSlopePercent = 105;
inline constexpr int kLargestOffsetMv = 30;

struct Result {
    // Rounded as shown. The slope is positive for an electrode whose voltage falls as the pH
    // rises, as a glass electrode's does; a reversed one reads negative.
    int slopePercent = 0;
    int offsetMv = 0;
    bool toCheck = false;
};

// From the calibration line pH = slope x U + intercept (slope in pH per volt, intercept in pH).
// `voltageScale` is the electrode's voltage per volt of U: 1 when U is channel 1, 2 when U is
// half the difference of the two channels. Empty when the line says nothing of the electrode
// (a zero slope: both buffers given the same pH) or is not finite.
std::optional<Result> Evaluate(double slope, double intercept, double voltageScale = 1.0);

// "Électrode : pente 98 %, décalage +4 mV", followed by " — à vérifier" when toCheck.
QString Text(const Result& result);

}  // namespace ElectrodeCheck
