#include "chemistry/CurveSampling.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace CurveSampling {

namespace {

constexpr int kDrawSteps = 200;
constexpr double kDrawStepPH = 0.05;
constexpr int kDrawDepth = 8;

}  // namespace

QList<QPointF> Sample(const std::function<double(double addedMl)>& pH, double fromMl, double toMl)
{
    QList<QPointF> curve;
    if (!std::isfinite(fromMl) || !std::isfinite(toMl))
        return curve;
    curve.append(QPointF(fromMl, pH(fromMl)));
    if (!(toMl > fromMl))
        return curve;
    struct Span {
        double to;
        double pH;
        int depth;
    };
    std::vector<Span> pending;
    const double step = (toMl - fromMl) / kDrawSteps;
    for (int i = kDrawSteps; i >= 1; --i) {
        const double v = i == kDrawSteps ? toMl : fromMl + i * step;
        pending.push_back({v, pH(v), 0});
    }
    // The stack holds the ends of the spans still to draw, nearest last.
    while (!pending.empty()) {
        const Span span = pending.back();
        const QPointF last = curve.back();
        if (std::abs(span.pH - last.y()) > kDrawStepPH && span.depth < kDrawDepth) {
            const double middle = (last.x() + span.to) / 2.0;
            pending.back().depth = span.depth + 1;
            pending.push_back({middle, pH(middle), span.depth + 1});
            continue;
        }
        pending.pop_back();
        curve.append(QPointF(span.to, span.pH));
    }
    return curve;
}

double Interpolate(const std::vector<QPointF>& points, double volumeMl)
{
    if (volumeMl <= points.front().x())
        return points.front().y();
    if (volumeMl >= points.back().x())
        return points.back().y();
    const auto after = std::upper_bound(points.begin(), points.end(), volumeMl,
                                        [](double v, const QPointF& p) { return v < p.x(); });
    const QPointF& b = *after;
    const QPointF& a = *(after - 1);
    if (b.x() == a.x())
        return b.y();
    return a.y() + (b.y() - a.y()) * (volumeMl - a.x()) / (b.x() - a.x());
}

}  // namespace CurveSampling
