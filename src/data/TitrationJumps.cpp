#include "TitrationJumps.h"

#include "LabReport.h"
#include "NumberText.h"

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

double SlopeNoise(const QList<QPointF>& slopes)
{
    if (slopes.size() < 3)
        return 0.0;
    std::vector<double> changes;
    changes.reserve(static_cast<std::size_t>(slopes.size() - 1));
    for (qsizetype k = 0; k + 1 < slopes.size(); ++k)
        changes.push_back(std::abs(slopes[k + 1].y() - slopes[k].y()));
    const auto middle = changes.begin() + static_cast<std::ptrdiff_t>(changes.size() / 2);
    std::nth_element(changes.begin(), middle, changes.end());
    // Reading errors e give slopes (e1 - e0) / dv and changes (e2 - 2 e1 + e0) / dv: the changes
    // scatter sqrt(3) times as much as the slopes. 1,4826 x median |x| is the standard deviation
    // of a normal scatter, unmoved by the few large changes at the jumps.
    return 1.4826 * *middle / std::sqrt(3.0);
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
    QList<QPointF> slopes = TitrationAnalysis::Derivative(curve);
    for (QPointF& s : slopes)
        s.setY(rising ? s.y() : -s.y());
    const double highest
        = std::max_element(slopes.begin(), slopes.end(), [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); })
              ->y();
    const double noise = SlopeNoise(slopes);

    // Peaks inside the measurements. The steepest step of the curve is a jump as
    // FindEquivalence takes it; a lesser peak must stand out of the noise and of its valleys.
    struct Peak {
        qsizetype k;
        double height;
    };
    std::vector<Peak> peaks;
    for (qsizetype k = 1; k + 1 < slopes.size(); ++k) {
        const double height = slopes[k].y();
        // A flat top counts once, at its first step.
        if (!(height > slopes[k - 1].y() && height >= slopes[k + 1].y()))
            continue;
        const double valley = HigherValley(slopes, k);
        if (height >= highest
            || (height >= kMinimumShareOfSteepest * highest && height - valley >= kMinimumNoiseRatio * noise
                && height >= kMinimumPeakToValley * std::max(valley, 0.0)))
            peaks.push_back({k, height});
    }
    // The steepest jump kept must be a jump, not a straight ramp: TitrationAnalysis's rule.
    const double meanSlope = std::abs(change) / (curve.back().x() - curve.front().x());
    const bool anyJump = std::any_of(peaks.begin(), peaks.end(), [&](const Peak& p) {
        return p.height >= TitrationAnalysis::kPeakToMeanRatio * meanSlope;
    });
    if (!anyJump)
        return jumps;
    std::stable_sort(peaks.begin(), peaks.end(), [](const Peak& a, const Peak& b) { return a.height > b.height; });
    for (const Peak& peak : peaks) {
        Equivalence e;
        e.rising = rising;
        e.slope = peak.height;
        e.volumeMl = TitrationAnalysis::PeakVolume(slopes, peak.k);
        const bool apart = std::all_of(jumps.begin(), jumps.end(), [&](const Equivalence& kept) {
            return std::abs(kept.volumeMl - e.volumeMl) >= kMinimumSeparationMl;
        });
        if (apart)
            jumps.push_back(e);
    }
    std::sort(jumps.begin(), jumps.end(), [](const Equivalence& a, const Equivalence& b) { return a.volumeMl < b.volumeMl; });
    double previousMl = 0.0;
    for (Equivalence& e : jumps) {
        e.pH = TitrationAnalysis::InterpolatePH(curve, e.volumeMl);
        const double half = (previousMl + e.volumeMl) / 2.0;
        if (half >= curve.front().x())
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
