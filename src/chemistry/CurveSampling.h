#pragma once

#include <QList>
#include <QPointF>

#include <functional>
#include <vector>

// A model's curve for drawing: even steps over the volumes, each split in halves where the pH
// moves fast, so that a jump is drawn as steep as it is without thousands of points elsewhere.
namespace CurveSampling {

// (mL, pH) from `fromMl` to `toMl`: 200 even steps, each halved while the pH moves more than
// 0,05 across it, at most 8 times. Only `fromMl` when the range is empty; nothing when an end
// is not finite.
QList<QPointF> Sample(const std::function<double(double addedMl)>& pH, double fromMl, double toMl);

// The measured pH at `volumeMl`, linear between the neighbouring points (sorted by volume, at
// least one), the end values outside them.
double Interpolate(const std::vector<QPointF>& points, double volumeMl);

}  // namespace CurveSampling
