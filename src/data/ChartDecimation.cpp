#include "data/ChartDecimation.h"

#include <algorithm>
#include <cmath>

namespace ChartDecimation {

QList<QPointF> MinMaxPerColumn(const QList<QPointF>& sortedByX, int columns, double low, double high)
{
    columns = std::max(columns, 1);
    const qsizetype n = sortedByX.size();
    if (n <= kPointsPerColumn * static_cast<qsizetype>(columns))
        return sortedByX;
    const double span = high - low;
    if (!(span > 0))
        return {sortedByX.front(), sortedByX.back()};

    const double perColumn = columns / span;
    const auto columnOf = [&](qsizetype i) {
        const double c = std::floor((sortedByX[i].x() - low) * perColumn);
        return static_cast<int>(std::clamp(c, 0.0, static_cast<double>(columns - 1)));
    };
    QList<QPointF> out;
    out.reserve(2 * static_cast<qsizetype>(columns) + 2);
    out.append(sortedByX.front());
    qsizetype i = 0;
    while (i < n) {
        const int column = columnOf(i);
        qsizetype lowest = i;
        qsizetype highest = i;
        for (++i; i < n && columnOf(i) == column; ++i) {
            if (sortedByX[i].y() < sortedByX[lowest].y())
                lowest = i;
            if (sortedByX[i].y() > sortedByX[highest].y())
                highest = i;
        }
        const qsizetype first = std::min(lowest, highest);
        const qsizetype second = std::max(lowest, highest);
        for (const qsizetype k : {first, second})
            if (k != 0 && k != n - 1 && (k == first || second != first))
                out.append(sortedByX[k]);
    }
    out.append(sortedByX.back());
    return out;
}

QList<QPointF> MinMaxPerColumn(const QList<QPointF>& sortedByX, int columns)
{
    if (sortedByX.isEmpty())
        return {};
    return MinMaxPerColumn(sortedByX, columns, sortedByX.front().x(), sortedByX.back().x());
}

View ForView(const QList<QPointF>& sortedByX, double low, double high, int columns)
{
    columns = std::max(columns, 1);
    const auto before = [](const QPointF& p, double x) { return p.x() < x; };
    const auto after = [](double x, const QPointF& p) { return x < p.x(); };
    const auto begin = std::lower_bound(sortedByX.begin(), sortedByX.end(), low, before);
    const auto end = std::upper_bound(begin, sortedByX.end(), high, after);
    View view;
    view.visible = end - begin;
    const qsizetype from = std::max<qsizetype>(0, (begin - sortedByX.begin()) - 1);
    const qsizetype to = std::min<qsizetype>(sortedByX.size(), (end - sortedByX.begin()) + 1);
    const QList<QPointF> slice = from == 0 && to == sortedByX.size() ? sortedByX : sortedByX.mid(from, to - from);
    if (view.visible > kPointsPerColumn * static_cast<qsizetype>(columns)) {
        view.points = MinMaxPerColumn(slice, columns, low, high);
        return view;
    }
    view.points = slice;
    view.marks = view.visible * kMarkSpacingPx <= columns;
    return view;
}

}  // namespace ChartDecimation
