#pragma once

#include <QList>
#include <QPointF>

namespace ChartDecimation {

// Points sorted by X, thinned for drawing on `columns` horizontal pixels: each column keeps its
// first, lowest, highest and last point, in X order, so the drawn curve looks the same.
// Fewer than 4 x columns points come back unchanged.
QList<QPointF> MinMaxPerColumn(const QList<QPointF>& sortedByX, int columns);

}  // namespace ChartDecimation
