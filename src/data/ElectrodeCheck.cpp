#include "data/ElectrodeCheck.h"

#include <cmath>
#include <limits>

namespace ElectrodeCheck {

namespace {

// Rounded to the nearest integer; values beyond what an int holds are a broken calibration,
// shown at the int's limit rather than overflowing.
int Rounded(double value)
{
    constexpr double kLimit = std::numeric_limits<int>::max();
    const double rounded = std::round(value);
    if (rounded >= kLimit)
        return std::numeric_limits<int>::max();
    if (rounded <= -kLimit)
        return -std::numeric_limits<int>::max();
    return static_cast<int>(rounded);
}

}  // namespace

std::optional<Result> Evaluate(double slope, double intercept, double voltageScale)
{
    if (slope == 0.0 || !std::isfinite(slope) || !std::isfinite(intercept) || !(voltageScale > 0.0))
        return std::nullopt;
    // mV per pH step of the electrode; a falling voltage counts as a positive slope.
    const double electrodeMvPerPH = -1000.0 * voltageScale / slope;
    const double offsetMv = 1000.0 * voltageScale * (7.0 - intercept) / slope;
    if (!std::isfinite(electrodeMvPerPH) || !std::isfinite(offsetMv))
        return std::nullopt;
    Result result;
    result.slopePercent = Rounded(100.0 * electrodeMvPerPH / kNernstMvPerPH);
    result.offsetMv = Rounded(offsetMv);
    result.toCheck = result.slopePercent < kLowestSlopePercent || result.slopePercent > kHighestSlopePercent
        || std::abs(static_cast<long long>(result.offsetMv)) > kLargestOffsetMv;
    return result;
}

QString Text(const Result& result)
{
    const QString sign = result.offsetMv < 0 ? QStringLiteral("-") : QStringLiteral("+");
    QString text = QStringLiteral("Électrode : pente %1 %, décalage %2%3 mV")
                       .arg(result.slopePercent)
                       .arg(sign)
                       .arg(std::abs(static_cast<long long>(result.offsetMv)));
    if (result.toCheck)
        text += QStringLiteral(" — à vérifier");
    return text;
}

}  // namespace ElectrodeCheck
