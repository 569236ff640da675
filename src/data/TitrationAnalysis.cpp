#include "data/TitrationAnalysis.h"

#include "data/NumberText.h"

#include <algorithm>
#include <cmath>

namespace TitrationAnalysis {

namespace {

// Two decimals, as the results are read on the chart and written in a report.
QString TwoDecimals(double value)
{
    return NumberText::Fixed(value, 15, 2);
}

// Vertex of the parabola through three points with x0 < x1 < x2 and y1 the largest; x1 when
// the three are in line. Kept within [x0, x2].
double ParabolaVertex(const QPointF& a, const QPointF& b, const QPointF& c)
{
    const double x0 = a.x(), x1 = b.x(), x2 = c.x();
    const double y0 = a.y(), y1 = b.y(), y2 = c.y();
    const double denominator = (x0 - x1) * (x0 - x2) * (x1 - x2);
    if (denominator == 0.0)
        return x1;
    const double curvature = (x2 * (y1 - y0) + x1 * (y0 - y2) + x0 * (y2 - y1)) / denominator;
    const double linear = (x2 * x2 * (y0 - y1) + x1 * x1 * (y2 - y0) + x0 * x0 * (y1 - y2)) / denominator;
    if (!(curvature < 0.0))
        return x1;
    const double vertex = -linear / (2.0 * curvature);
    if (!std::isfinite(vertex))
        return x1;
    return std::clamp(vertex, x0, x2);
}

}  // namespace

QList<QPointF> CurvePoints(const QList<QPointF>& points)
{
    QList<QPointF> sorted;
    sorted.reserve(points.size());
    for (const QPointF& p : points)
        if (std::isfinite(p.x()) && std::isfinite(p.y()))
            sorted.append(p);
    std::stable_sort(sorted.begin(), sorted.end(), [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });

    QList<QPointF> curve;
    curve.reserve(sorted.size());
    for (qsizetype i = 0; i < sorted.size();) {
        qsizetype j = i;
        double sum = 0.0;
        while (j < sorted.size() && sorted[j].x() == sorted[i].x())
            sum += sorted[j++].y();
        curve.append(QPointF(sorted[i].x(), sum / static_cast<double>(j - i)));
        i = j;
    }
    return curve;
}

QList<QPointF> Derivative(const QList<QPointF>& curve)
{
    QList<QPointF> derivative;
    if (curve.size() < 2)
        return derivative;
    derivative.reserve(curve.size() - 1);
    for (qsizetype i = 0; i + 1 < curve.size(); ++i) {
        const QPointF& a = curve[i];
        const QPointF& b = curve[i + 1];
        derivative.append(QPointF((a.x() + b.x()) / 2.0, (b.y() - a.y()) / (b.x() - a.x())));
    }
    return derivative;
}

QList<QPointF> SecondDerivative(const QList<QPointF>& curve)
{
    return Derivative(Derivative(curve));
}

double PeakVolume(const QList<QPointF>& slopes, qsizetype k)
{
    return ParabolaVertex(slopes[k - 1], slopes[k], slopes[k + 1]);
}

double InterpolatePH(const QList<QPointF>& curve, double volumeMl)
{
    if (volumeMl <= curve.front().x())
        return curve.front().y();
    if (volumeMl >= curve.back().x())
        return curve.back().y();
    const auto after = std::upper_bound(curve.begin(), curve.end(), volumeMl,
                                        [](double v, const QPointF& p) { return v < p.x(); });
    const QPointF& b = *after;
    const QPointF& a = *(after - 1);
    return a.y() + (b.y() - a.y()) * (volumeMl - a.x()) / (b.x() - a.x());
}

std::optional<Equivalence> FindEquivalence(const QList<QPointF>& points)
{
    const QList<QPointF> curve = CurvePoints(points);
    if (curve.size() < kMinimumPoints)
        return std::nullopt;
    const double change = curve.back().y() - curve.front().y();
    if (!(std::abs(change) >= kMinimumChangePH))
        return std::nullopt;
    const double direction = change > 0 ? 1.0 : -1.0;

    // The derivative taken in the curve's direction, so the steepest step is a maximum.
    QList<QPointF> slopes = Derivative(curve);
    for (QPointF& s : slopes)
        s.setY(direction * s.y());
    const auto steepest = std::max_element(slopes.begin(), slopes.end(),
                                           [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
    const qsizetype k = steepest - slopes.begin();
    if (k == 0 || k == slopes.size() - 1)
        return std::nullopt;
    const double meanSlope = std::abs(change) / (curve.back().x() - curve.front().x());
    if (!(steepest->y() >= kPeakToMeanRatio * meanSlope))
        return std::nullopt;

    Equivalence result;
    result.rising = direction > 0;
    result.slope = steepest->y();
    result.volumeMl = PeakVolume(slopes, k);
    result.pH = InterpolatePH(curve, result.volumeMl);
    const double half = result.volumeMl / 2.0;
    if (half >= curve.front().x())
        result.halfVolumePH = InterpolatePH(curve, half);
    return result;
}

QString NotFoundText()
{
    return QStringLiteral("Point d'équivalence introuvable");
}

QString ResultText(const std::optional<Equivalence>& result)
{
    if (!result)
        return NotFoundText();
    QString text = QStringLiteral("Équivalence : V = %1 mL ; pH = %2").arg(TwoDecimals(result->volumeMl),
                                                                              TwoDecimals(result->pH));
    if (result->halfVolumePH)
        text += QStringLiteral(" ; pH à V/2 = %1").arg(TwoDecimals(*result->halfVolumePH));
    return text;
}

QString ClipboardResults(const Equivalence& result)
{
    QString text = QStringLiteral("Volume à l'équivalence en mL\t%1\r").arg(TwoDecimals(result.volumeMl));
    text += QStringLiteral("pH à l'équivalence\t%1\r").arg(TwoDecimals(result.pH));
    if (result.halfVolumePH)
        text += QStringLiteral("pH à la demi-équivalence\t%1\r").arg(TwoDecimals(*result.halfVolumePH));
    return text;
}

}  // namespace TitrationAnalysis
