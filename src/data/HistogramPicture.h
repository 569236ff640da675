#pragma once

#include "data/Histogram.h"

#include <QRectF>
#include <QString>

#include <functional>
#include <optional>

class QPainter;

// A histogram drawn with a painter, the same on a window and on a PDF page: a bar per bin, the
// bins' edges read on the horizontal axis, the counts on the vertical one, and the mean and the
// mean ± s as vertical lines. Sizes follow the target rectangle, so a page at 1 200 dots per
// inch and a window at 96 draw the same picture.
namespace HistogramPicture {

struct Picture {
    Histogram histogram;
    QString caption;  // under the horizontal axis: "Ve (mL)"
    // A bin edge as the axis writes it.
    std::function<QString(double)> edgeText;
    std::optional<double> mean;
    std::optional<double> standardDeviation;
};

// Draws into `target`, in the painter's coordinates; `emptyText` stands in the middle when
// there is no value.
void Paint(QPainter& painter, const QRectF& target, const Picture& picture, const QString& emptyText);

}  // namespace HistogramPicture
