#pragma once

#include <vector>

// Counts of values in bins of one width, the edges on round numbers (1, 2 or 5 times a power
// of ten) so that a histogram's axis reads plainly.
struct Histogram {
    double from = 0.0;      // lower edge of the first bin
    double binWidth = 0.0;  // 0 when there is no value
    std::vector<int> counts;

    double To() const { return from + binWidth * static_cast<double>(counts.size()); }
    // The lower edge of bin `index`.
    double Edge(std::size_t index) const { return from + binWidth * static_cast<double>(index); }

    // About `targetBins` bins (at least one) from the lowest to the highest finite value; a
    // value on an inner edge counts in the bin above it. Values that are all equal make one
    // bin around them.
    static Histogram Of(const std::vector<double>& values, int targetBins);
    // A bin count that suits `count` values: Sturges' rule, at least 5.
    static int BinsFor(std::size_t count);
};
