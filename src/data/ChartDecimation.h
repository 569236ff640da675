#pragma once

#include <QList>
#include <QPointF>

// Points sorted by X, made fit for drawing on a plot of a given width: a line drawn through
// more than about two points per pixel column shows nothing more than the lowest and the
// highest of each column, and point marks closer than a few pixels merge into a smear.
namespace ChartDecimation {

// More visible points than this many per pixel column are thinned.
inline constexpr int kPointsPerColumn = 2;
// Point marks are drawn only when the visible points are at least this many pixels apart.
inline constexpr int kMarkSpacingPx = 3;

// Thinned to the lowest and highest point of each of `columns` equal slices of [low, high],
// in X order, keeping the first and last point; at most 2 x columns points come back unchanged.
QList<QPointF> MinMaxPerColumn(const QList<QPointF>& sortedByX, int columns, double low, double high);
// The same over the points' own X range.
QList<QPointF> MinMaxPerColumn(const QList<QPointF>& sortedByX, int columns);

struct View {
    QList<QPointF> points;  // what the line is drawn through
    bool marks = false;     // whether the points' marks can be told apart
    qsizetype visible = 0;  // points of the record within [low, high]
};

// What to draw of `sortedByX` for the X range [low, high] on `columns` pixels: the points in
// range and one on each side (so the line runs to the edges), thinned when they outnumber
// kPointsPerColumn x columns.
View ForView(const QList<QPointF>& sortedByX, double low, double high, int columns);

}  // namespace ChartDecimation
