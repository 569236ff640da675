#include "data/Histogram.h"

#include <algorithm>
#include <cmath>

namespace {

// The smallest of 1, 2, 5 times a power of ten that is at least `width`.
double RoundWidth(double width)
{
    const double power = std::pow(10.0, std::floor(std::log10(width)));
    for (const double step : {1.0, 2.0, 5.0, 10.0})
        if (step * power >= width * (1.0 - 1e-12))
            return step * power;
    return 10.0 * power;
}

}  // namespace

Histogram Histogram::Of(const std::vector<double>& values, int targetBins)
{
    Histogram histogram;
    double lowest = 0.0, highest = 0.0;
    bool any = false;
    for (const double v : values) {
        if (!std::isfinite(v))
            continue;
        lowest = any ? std::min(lowest, v) : v;
        highest = any ? std::max(highest, v) : v;
        any = true;
    }
    if (!any)
        return histogram;
    const double span = highest - lowest;
    // Equal values: one bin a thousandth of their size wide (or 1 for zeros).
    const double scale = std::max(std::abs(lowest), std::abs(highest));
    histogram.binWidth = RoundWidth(span > 0.0 ? span / std::max(1, targetBins) : (scale > 0.0 ? scale * 1e-3 : 1.0));
    // Edges are multiples of the width; a quotient a rounding short of a whole number is that
    // number, so that a value on an edge is counted above it however the division fell.
    const auto binOf = [&histogram](double v) { return std::floor((v - histogram.from) / histogram.binWidth + 1e-9); };
    histogram.from = std::floor(lowest / histogram.binWidth + 1e-9) * histogram.binWidth;
    const auto bins = static_cast<std::size_t>(std::max(0.0, binOf(highest))) + 1;
    histogram.counts.assign(bins, 0);
    for (const double v : values) {
        if (!std::isfinite(v))
            continue;
        const auto index = static_cast<std::size_t>(std::max(0.0, binOf(v)));
        ++histogram.counts[std::min(index, bins - 1)];
    }
    return histogram;
}

int Histogram::BinsFor(std::size_t count)
{
    const int sturges = count > 0 ? static_cast<int>(std::ceil(std::log2(static_cast<double>(count)))) + 1 : 1;
    return std::max(5, sturges);
}
