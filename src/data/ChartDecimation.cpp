#include "ChartDecimation.h"

#include <algorithm>
#include <array>

namespace ChartDecimation {

QList<QPointF> MinMaxPerColumn(const QList<QPointF>& sortedByX, int columns)
{
    columns = std::max(columns, 1);
    const qsizetype n = sortedByX.size();
    if (n <= 4 * static_cast<qsizetype>(columns))
        return sortedByX;
    const double x0 = sortedByX.front().x();
    const double span = sortedByX.back().x() - x0;
    if (span <= 0)
        return {sortedByX.front(), sortedByX.back()};

    QList<QPointF> out;
    out.reserve(4 * columns);
    qsizetype i = 0;
    while (i < n) {
        const int column = std::min(columns - 1, static_cast<int>((sortedByX[i].x() - x0) / span * columns));
        const qsizetype first = i;
        qsizetype low = i;
        qsizetype high = i;
        while (i < n
               && std::min(columns - 1, static_cast<int>((sortedByX[i].x() - x0) / span * columns)) == column) {
            if (sortedByX[i].y() < sortedByX[low].y())
                low = i;
            if (sortedByX[i].y() > sortedByX[high].y())
                high = i;
            ++i;
        }
        std::array<qsizetype, 4> keep{first, low, high, i - 1};
        std::sort(keep.begin(), keep.end());
        const qsizetype* end = std::unique(keep.begin(), keep.end());
        for (const qsizetype* k = keep.begin(); k != end; ++k)
            out.append(sortedByX[*k]);
    }
    return out;
}

}  // namespace ChartDecimation
