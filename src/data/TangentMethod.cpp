#include "data/TangentMethod.h"

#include "data/NumberText.h"
#include "data/TitrationAnalysis.h"

#include <cmath>

namespace TangentMethod {

namespace {

QString TwoDecimals(double value)
{
    return NumberText::Fixed(value, 15, 2);
}

// Slope of the least-squares line through points first..last.
double RegressionSlope(const QList<QPointF>& curve, qsizetype first, qsizetype last)
{
    double meanX = 0.0, meanY = 0.0;
    for (qsizetype i = first; i <= last; ++i) {
        meanX += curve[i].x();
        meanY += curve[i].y();
    }
    const double n = static_cast<double>(last - first + 1);
    meanX /= n;
    meanY /= n;
    double sxy = 0.0, sxx = 0.0;
    for (qsizetype i = first; i <= last; ++i) {
        sxy += (curve[i].x() - meanX) * (curve[i].y() - meanY);
        sxx += (curve[i].x() - meanX) * (curve[i].x() - meanX);
    }
    return sxx > 0.0 ? sxy / sxx : 0.0;
}

// The construction around the jump `found` of `curve` (TitrationAnalysis::CurvePoints).
std::optional<Result> Construct(QList<QPointF> curve, const TitrationAnalysis::Equivalence& found)
{
    if (curve.size() < 2 * kMinimumSidePoints)
        return std::nullopt;
    // Worked on as a rising curve: a falling one is turned upside down and back at the end.
    const double direction = found.rising ? 1.0 : -1.0;
    for (QPointF& p : curve)
        p.setY(direction * p.y());
    const QList<QPointF> slopes = TitrationAnalysis::Derivative(curve);

    // The jump: its steepest step, reached by climbing from the step at its volume (a weak
    // acid's start may be steeper still), and the neighbours nearly as steep.
    qsizetype peak = 0;
    for (qsizetype k = 1; k < slopes.size(); ++k)
        if (std::abs(slopes[k].x() - found.volumeMl) < std::abs(slopes[peak].x() - found.volumeMl))
            peak = k;
    // Each move to the steeper neighbour, so that from beside the steepest step it goes there.
    for (qsizetype from = -1; from != peak;) {
        from = peak;
        for (const qsizetype next : {from - 1, from + 1})
            if (next >= 0 && next < slopes.size() && slopes[next].y() > slopes[peak].y())
                peak = next;
    }
    const double steep = kJumpShareOfPeak * slopes[peak].y();
    qsizetype jumpFirst = peak;
    while (jumpFirst > 0 && slopes[jumpFirst - 1].y() >= steep)
        --jumpFirst;
    qsizetype jumpLast = peak;
    while (jumpLast + 1 < slopes.size() && slopes[jumpLast + 1].y() >= steep)
        ++jumpLast;
    // Points 0..lastBefore are before the jump, firstAfter..end after it.
    const qsizetype lastBefore = jumpFirst;
    const qsizetype firstAfter = jumpLast + 1;
    const qsizetype last = curve.size() - 1;
    if (lastBefore + 1 < kMinimumSidePoints || last - firstAfter + 1 < kMinimumSidePoints)
        return std::nullopt;

    // Directions as the curve looks on a square drawing of its whole extent, so that the
    // result does not depend on the units of the two axes.
    double lowest = curve.front().y();
    double highest = lowest;
    for (const QPointF& p : curve) {
        lowest = std::min(lowest, p.y());
        highest = std::max(highest, p.y());
    }
    const double toSquare = (curve.back().x() - curve.front().x()) / (highest - lowest);
    // The bend is searched for in the half of each side next to the jump: a weak acid's curve
    // also bends at its start, the other way.
    const double beforeFromMl = (curve.front().x() + found.volumeMl) / 2.0;
    const double afterToMl = (found.volumeMl + curve.back().x()) / 2.0;
    qsizetype nearBefore = lastBefore;
    while (nearBefore > 0 && curve[nearBefore - 1].x() >= beforeFromMl)
        --nearBefore;
    if (lastBefore - nearBefore + 1 < 3)
        nearBefore = std::max<qsizetype>(0, lastBefore - 2);

    // On a rounded corner the curvature is greatest where the tangent's direction is midway
    // between the directions of the two arms: here the curve before the bend and the jump.
    // Read that way, not from a second derivative, which the noise of readings a fraction of a
    // millilitre apart would drown.
    const double armAngle = std::atan(RegressionSlope(curve, nearBefore, lastBefore) * toSquare);
    const double jumpAngle = std::atan(slopes[peak].y() * toSquare);
    const double slope = std::tan((armAngle + jumpAngle) / 2.0) / toSquare;
    if (!std::isfinite(slope))
        return std::nullopt;

    // The tangent of that slope touches the curve where the curve stands lowest above a line
    // of that slope before the jump, and highest after it, where the curve bends the other way.
    qsizetype bendAt = nearBefore;
    for (qsizetype i = nearBefore; i <= lastBefore; ++i)
        if (curve[i].y() - slope * curve[i].x() < curve[bendAt].y() - slope * curve[bendAt].x())
            bendAt = i;
    qsizetype touchAt = firstAfter;
    for (qsizetype j = firstAfter; j <= last && (curve[j].x() <= afterToMl || j - firstAfter < 3); ++j)
        if (curve[j].y() - slope * curve[j].x() > curve[touchAt].y() - slope * curve[touchAt].x())
            touchAt = j;
    const double beforeIntercept = curve[bendAt].y() - slope * curve[bendAt].x();
    const double afterIntercept = curve[touchAt].y() - slope * curve[touchAt].x();
    const double middleIntercept = (beforeIntercept + afterIntercept) / 2.0;

    // The middle line crosses the curve between the two touching points, from below; of several
    // crossings (a noisy curve) the one nearest the steepest step.
    std::optional<double> crossing;
    for (qsizetype j = bendAt; j < touchAt; ++j) {
        const double h0 = curve[j].y() - slope * curve[j].x() - middleIntercept;
        const double h1 = curve[j + 1].y() - slope * curve[j + 1].x() - middleIntercept;
        if (!(h0 < 0.0 && h1 >= 0.0))
            continue;
        const double v = curve[j].x() + (curve[j + 1].x() - curve[j].x()) * (-h0) / (h1 - h0);
        if (!crossing || std::abs(v - found.volumeMl) < std::abs(*crossing - found.volumeMl))
            crossing = v;
    }
    if (!crossing || !std::isfinite(*crossing))
        return std::nullopt;

    Result result;
    result.before = {direction * slope, direction * beforeIntercept};
    result.after = {direction * slope, direction * afterIntercept};
    result.middle = {direction * slope, direction * middleIntercept};
    result.beforeTouch = QPointF(curve[bendAt].x(), direction * curve[bendAt].y());
    result.afterTouch = QPointF(curve[touchAt].x(), direction * curve[touchAt].y());
    result.volumeMl = *crossing;
    for (QPointF& p : curve)
        p.setY(direction * p.y());
    result.pH = TitrationAnalysis::InterpolatePH(curve, *crossing);
    const double reach = std::max(result.afterTouch.x() - result.beforeTouch.x(), 0.05 * found.volumeMl);
    result.drawFromMl = result.beforeTouch.x() - reach;
    result.drawToMl = result.afterTouch.x() + reach;
    return result;
}

}  // namespace

std::optional<Result> Find(const QList<QPointF>& points)
{
    const std::optional<TitrationAnalysis::Equivalence> found = TitrationAnalysis::FindEquivalence(points);
    if (!found)
        return std::nullopt;
    return Construct(TitrationAnalysis::CurvePoints(points), *found);
}

std::optional<Result> FindAt(const QList<QPointF>& points, const std::vector<TitrationAnalysis::Equivalence>& jumps,
                             std::size_t index)
{
    if (index >= jumps.size())
        return std::nullopt;
    const double fromMl = index > 0 ? (jumps[index - 1].volumeMl + jumps[index].volumeMl) / 2.0 : -HUGE_VAL;
    const double toMl = index + 1 < jumps.size() ? (jumps[index].volumeMl + jumps[index + 1].volumeMl) / 2.0 : HUGE_VAL;
    QList<QPointF> around;
    for (const QPointF& p : TitrationAnalysis::CurvePoints(points))
        if (p.x() >= fromMl && p.x() <= toMl)
            around.append(p);
    return Construct(around, jumps[index]);
}

QString ImpossibleText()
{
    return QStringLiteral("Méthode des tangentes impossible sur cette courbe");
}

QString ResultText(const Result& result)
{
    return QStringLiteral("Tangentes : V = %1 mL ; pH = %2").arg(TwoDecimals(result.volumeMl), TwoDecimals(result.pH));
}

QString ClipboardResults(const Result& result)
{
    return QStringLiteral("Volume à l'équivalence (tangentes) en mL\t%1\rpH à l'équivalence (tangentes)\t%2\r")
        .arg(TwoDecimals(result.volumeMl), TwoDecimals(result.pH));
}

QString ReportLine(const Result& result)
{
    return QStringLiteral("Méthode des tangentes : Ve = %1 mL ; pH = %2")
        .arg(TwoDecimals(result.volumeMl), TwoDecimals(result.pH));
}

}  // namespace TangentMethod
