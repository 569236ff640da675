#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>

// What the chart shows and where: the plot area in pixels and the range of values on each
// axis. Maps a pixel to the values under it and back, and does the arithmetic of zooming and
// panning, so that none of it needs a widget. Y values grow upwards, pixels downwards.
class ChartViewport {
public:
    struct Range {
        double low = 0.0;
        double high = 1.0;
        double Span() const { return high - low; }
        bool Contains(const Range& other) const { return low <= other.low && other.high <= high; }
    };

    // No range narrower than this: below it the arithmetic of doubles would show nothing.
    static constexpr double kMinimumSpan = 1e-9;

    ChartViewport() = default;
    ChartViewport(const QRectF& plotArea, Range x, Range y);

    const QRectF& PlotArea() const { return plot_; }
    Range X() const { return x_; }
    Range Y() const { return y_; }

    bool Contains(QPointF pixel) const { return plot_.contains(pixel); }
    QPointF ValueAt(QPointF pixel) const;
    QPointF PixelOf(QPointF value) const;
    // Value of one pixel along each axis.
    double XPerPixel() const;
    double YPerPixel() const;

    // `factor` below 1 zooms in, above 1 out; the value under `pixel` stays under it.
    ChartViewport ZoomedAround(QPointF pixel, double factor) const;
    // The curve follows the pointer: dragging to the right brings in what was on the left.
    ChartViewport PannedBy(QPointF pixelDelta) const;

    // Index in `sortedByX` of the point nearest to `pixel`, measured in pixels, if it lies
    // within `radiusPx`; -1 otherwise.
    qsizetype NearestPoint(const QList<QPointF>& sortedByX, QPointF pixel, double radiusPx) const;

    // Decimals that write a value to the resolution of one pixel, from 0 to 4.
    static int DecimalsFor(double valuePerPixel);

private:
    QRectF plot_{0, 0, 1, 1};
    Range x_;
    Range y_;
};
