#include "data/TitrationJumps.h"

#include "data/LabReport.h"
#include "data/NumberText.h"

#include <algorithm>
#include <cmath>

namespace TitrationJumps {

namespace {

using TitrationAnalysis::Equivalence;

QString TwoDecimals(double value)
{
    return NumberText::Fixed(value, 15, 2);
}

// The lower of the two valleys around slopes[k]: on each side the lowest slope before one
// steeper than slopes[k] (or the end of the curve). A peak on the shoulder of a steeper jump has
// its valley on that side close to its own height.
double HigherValley(const QList<QPointF>& slopes, qsizetype k)
{
    const double height = slopes[k].y();
    double left = height;
    for (qsizetype i = k - 1; i >= 0 && slopes[i].y() <= height; --i)
        left = std::min(left, slopes[i].y());
    double right = height;
    for (qsizetype i = k + 1; i < slopes.size() && slopes[i].y() <= height; ++i)
        right = std::min(right, slopes[i].y());
    return std::max(left, right);
}

}  // namespace

double ReadingNoise(const QList<QPointF>& curve)
{
    std::vector<double> offsets;
    for (qsizetype i = 1; i + 1 < curve.size(); ++i) {
        const QPointF& a = curve[i - 1];
        const QPointF& b = curve[i];
        const QPointF& c = curve[i + 1];
        const double share = (b.x() - a.x()) / (c.x() - a.x());
        offsets.push_back(std::abs(b.y() - a.y() - share * (c.y() - a.y())));
    }
    if (offsets.empty())
        return 0.0;
    const auto middle = offsets.begin() + static_cast<std::ptrdiff_t>(offsets.size() / 2);
    std::nth_element(offsets.begin(), middle, offsets.end());
    // The offset e1 - (1 - s) e0 - s e2 of independent errors scatters sqrt(1 + (1 - s)² + s²)
    // times as much as each, sqrt(1,5) at even steps; 1,4826 x median |x| is the standard
    // deviation of a normal scatter.
    return 1.4826 * *middle / std::sqrt(1.5);
}

std::vector<Equivalence> FindAll(const QList<QPointF>& points)
{
    std::vector<Equivalence> jumps;
    const QList<QPointF> curve = TitrationAnalysis::CurvePoints(points);
    if (curve.size() < TitrationAnalysis::kMinimumPoints)
        return jumps;
    const double change = curve.back().y() - curve.front().y();
    if (!(std::abs(change) >= TitrationAnalysis::kMinimumChangePH))
        return jumps;
    const bool rising = change > 0;
    const double direction = rising ? 1.0 : -1.0;
    const double fromMl = curve.front().x();
    const double toMl = curve.back().x();
    const double meanSlope = std::abs(change) / (toMl - fromMl);

    struct Peak {
        double volumeMl;
        double height;
    };
    std::vector<Peak> peaks;
    // The steepest step, as the single analysis finds it, unless it lies at an end.
    const std::optional<Equivalence> steepest = TitrationAnalysis::FindEquivalence(points);
    if (steepest)
        peaks.push_back({steepest->volumeMl, steepest->slope});

    // The slope across the window around each point, in the curve's direction.
    std::vector<double> steps;
    for (qsizetype i = 0; i + 1 < curve.size(); ++i)
        steps.push_back(curve[i + 1].x() - curve[i].x());
    std::nth_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2), steps.end());
    const double window = std::max(kSlopeWindowMl, steps[steps.size() / 2]);
    QList<QPointF> slopes;
    for (const QPointF& p : curve) {
        const double low = p.x() - window / 2.0;
        const double high = p.x() + window / 2.0;
        if (low < fromMl || high > toMl)
            continue;
        const double rise = TitrationAnalysis::InterpolatePH(curve, high) - TitrationAnalysis::InterpolatePH(curve, low);
        slopes.append(QPointF(p.x(), direction * rise / window));
    }
    const double noise = std::sqrt(2.0) * ReadingNoise(curve) / window;
    double highest = peaks.empty() ? 0.0 : peaks.front().height;
    for (const QPointF& s : slopes)
        highest = std::max(highest, s.y());
    for (qsizetype k = 1; k + 1 < slopes.size(); ++k) {
        const double height = slopes[k].y();
        // A flat top counts once, at its first step.
        if (!(height > slopes[k - 1].y() && height >= slopes[k + 1].y()))
            continue;
        if (!(height >= kMinimumShareOfSteepest * highest && height >= kMinimumMeanRatio * meanSlope))
            continue;
        // The valleys last: on a long noisy record their search is the costly part.
        const double valley = HigherValley(slopes, k);
        if (height - valley >= kMinimumNoiseRatio * noise && height >= kMinimumPeakToValley * std::max(valley, 0.0))
            peaks.push_back({TitrationAnalysis::PeakVolume(slopes, k), height});
    }
    // The steepest jump kept must be a jump, not a straight ramp: TitrationAnalysis's rule.
    const bool anyJump = std::any_of(peaks.begin(), peaks.end(), [&](const Peak& p) {
        return p.height >= TitrationAnalysis::kPeakToMeanRatio * meanSlope;
    });
    if (!anyJump)
        return jumps;
    // The single analysis's jump first, then the others steepest first, each kept unless too
    // close to one kept.
    std::stable_sort(peaks.begin() + (steepest ? 1 : 0), peaks.end(), [](const Peak& a, const Peak& b) { return a.height > b.height; });
    for (const Peak& peak : peaks) {
        const bool apart = std::all_of(jumps.begin(), jumps.end(), [&](const Equivalence& kept) {
            return std::abs(kept.volumeMl - peak.volumeMl) >= kMinimumSeparationMl;
        });
        if (!apart)
            continue;
        Equivalence e;
        e.rising = rising;
        e.slope = peak.height;
        e.volumeMl = peak.volumeMl;
        jumps.push_back(e);
    }
    std::sort(jumps.begin(), jumps.end(), [](const Equivalence& a, const Equivalence& b) { return a.volumeMl < b.volumeMl; });
    double previousMl = 0.0;
    for (Equivalence& e : jumps) {
        e.pH = TitrationAnalysis::InterpolatePH(curve, e.volumeMl);
        const double half = (previousMl + e.volumeMl) / 2.0;
        if (half >= fromMl)
            e.halfVolumePH = TitrationAnalysis::InterpolatePH(curve, half);
        previousMl = e.volumeMl;
    }
    return jumps;
}

std::size_t Steepest(const std::vector<Equivalence>& jumps)
{
    std::size_t best = 0;
    for (std::size_t i = 1; i < jumps.size(); ++i)
        if (jumps[i].slope > jumps[best].slope)
            best = i;
    return best;
}

QString ResultText(const std::vector<Equivalence>& jumps)
{
    if (jumps.size() <= 1)
        return TitrationAnalysis::ResultText(jumps.empty() ? std::nullopt : std::optional<Equivalence>(jumps.front()));
    QStringList parts;
    for (std::size_t i = 0; i < jumps.size(); ++i)
        parts << QStringLiteral("Équivalence %1 : Ve = %2 mL ; pH = %3")
                     .arg(i + 1)
                     .arg(TwoDecimals(jumps[i].volumeMl), TwoDecimals(jumps[i].pH));
    return parts.join(QStringLiteral(" — "));
}

QString ClipboardResults(const std::vector<Equivalence>& jumps)
{
    if (jumps.empty())
        return {};
    if (jumps.size() == 1)
        return TitrationAnalysis::ClipboardResults(jumps.front());
    QString text;
    for (std::size_t i = 0; i < jumps.size(); ++i) {
        const Equivalence& e = jumps[i];
        const QString n = QString::number(i + 1);
        text += QStringLiteral("Volume à l'équivalence %1 en mL\t%2\r").arg(n, TwoDecimals(e.volumeMl));
        text += QStringLiteral("pH à l'équivalence %1\t%2\r").arg(n, TwoDecimals(e.pH));
        if (e.halfVolumePH)
            text += QStringLiteral("pH à la demi-équivalence %1\t%2\r").arg(n, TwoDecimals(*e.halfVolumePH));
    }
    return text;
}

QStringList ReportLines(const std::vector<Equivalence>& jumps)
{
    if (jumps.empty())
        return {};
    if (jumps.size() == 1)
        return LabReport::ResultLines(jumps.front(), std::nullopt);
    QStringList lines;
    for (std::size_t i = 0; i < jumps.size(); ++i) {
        const Equivalence& e = jumps[i];
        QString line = QStringLiteral("Équivalence %1 : Ve = %2 mL ; pH = %3")
                           .arg(i + 1)
                           .arg(TwoDecimals(e.volumeMl), TwoDecimals(e.pH));
        if (e.halfVolumePH)
            line += QStringLiteral(" ; pH à la demi-équivalence = %1").arg(TwoDecimals(*e.halfVolumePH));
        lines << line;
    }
    return lines;
}

}  // namespace TitrationJumps
