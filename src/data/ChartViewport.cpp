#include "data/ChartViewport.h"

#include <algorithm>
#include <cmath>

namespace {

ChartViewport::Range Scaled(ChartViewport::Range range, double around, double factor)
{
    const double span = std::max(range.Span() * factor, ChartViewport::kMinimumSpan);
    // `around` keeps its share of the span on each side.
    const double share = range.Span() > 0 ? (around - range.low) / range.Span() : 0.5;
    return {around - share * span, around + (1.0 - share) * span};
}

}  // namespace

ChartViewport::ChartViewport(const QRectF& plotArea, Range x, Range y)
    : plot_(plotArea)
    , x_(x)
    , y_(y)
{
    if (plot_.width() <= 0 || plot_.height() <= 0)
        plot_.setSize(QSizeF(std::max(plot_.width(), 1.0), std::max(plot_.height(), 1.0)));
}

double ChartViewport::XPerPixel() const
{
    return x_.Span() / plot_.width();
}

double ChartViewport::YPerPixel() const
{
    return y_.Span() / plot_.height();
}

QPointF ChartViewport::ValueAt(QPointF pixel) const
{
    return {x_.low + (pixel.x() - plot_.left()) * XPerPixel(), y_.low + (plot_.bottom() - pixel.y()) * YPerPixel()};
}

QPointF ChartViewport::PixelOf(QPointF value) const
{
    return {plot_.left() + (value.x() - x_.low) / XPerPixel(), plot_.bottom() - (value.y() - y_.low) / YPerPixel()};
}

ChartViewport ChartViewport::ZoomedAround(QPointF pixel, double factor) const
{
    const QPointF at = ValueAt(pixel);
    return {plot_, Scaled(x_, at.x(), factor), Scaled(y_, at.y(), factor)};
}

ChartViewport ChartViewport::PannedBy(QPointF pixelDelta) const
{
    const double dx = -pixelDelta.x() * XPerPixel();
    const double dy = pixelDelta.y() * YPerPixel();
    return {plot_, {x_.low + dx, x_.high + dx}, {y_.low + dy, y_.high + dy}};
}

qsizetype ChartViewport::NearestPoint(const QList<QPointF>& sortedByX, QPointF pixel, double radiusPx) const
{
    // Only the points within the radius along X can be near: found by bisection, so that a
    // million points cost a few hundred comparisons per mouse move.
    const double low = ValueAt(pixel - QPointF(radiusPx, 0)).x();
    const double high = ValueAt(pixel + QPointF(radiusPx, 0)).x();
    const auto byX = [](const QPointF& p, double x) { return p.x() < x; };
    const auto first = std::lower_bound(sortedByX.begin(), sortedByX.end(), low, byX);
    qsizetype best = -1;
    double bestDistance = radiusPx * radiusPx;
    for (auto it = first; it != sortedByX.end() && it->x() <= high; ++it) {
        const QPointF d = PixelOf(*it) - pixel;
        const double distance = d.x() * d.x() + d.y() * d.y();
        if (distance <= bestDistance) {
            bestDistance = distance;
            best = it - sortedByX.begin();
        }
    }
    return best;
}

int ChartViewport::DecimalsFor(double valuePerPixel)
{
    if (!(valuePerPixel > 0) || !std::isfinite(valuePerPixel))
        return 0;
    return std::clamp(static_cast<int>(std::ceil(-std::log10(valuePerPixel))), 0, 4);
}

