#include "data/HistogramPicture.h"

#include "data/NumberText.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace HistogramPicture {

namespace {

const QColor kBar(0x5b, 0x8d, 0xc9);
const QColor kMean(0xb0, 0x00, 0x00);

// Where the bars go inside `target`: room left for the counts on the left and for the edges
// and the caption below.
struct Frame {
    QRectF plot;
    double unit;  // a thin pen, in the painter's units
    double low;   // the horizontal axis' range
    double high;
};

Frame FrameOf(const QRectF& target, const Picture& picture, const QFontMetricsF& metrics)
{
    Frame frame;
    frame.unit = std::max(1.0, target.height() / 300.0);
    const double line = metrics.height();
    frame.plot = target.adjusted(metrics.horizontalAdvance(QStringLiteral("0000")) + 2 * frame.unit, line * 0.6,
                                 -metrics.horizontalAdvance(QStringLiteral("00")), -2.4 * line - 2 * frame.unit);
    const Histogram& h = picture.histogram;
    // Half a bin of air on each side.
    frame.low = h.from - h.binWidth * 0.5;
    frame.high = h.To() + h.binWidth * 0.5;
    if (picture.mean && picture.standardDeviation) {
        frame.low = std::min(frame.low, *picture.mean - *picture.standardDeviation - h.binWidth * 0.2);
        frame.high = std::max(frame.high, *picture.mean + *picture.standardDeviation + h.binWidth * 0.2);
    }
    return frame;
}

double XOf(const Frame& frame, double value)
{
    return frame.plot.left() + (value - frame.low) / (frame.high - frame.low) * frame.plot.width();
}

// A round step of counts that gives at most about five marks.
int CountStep(int highest)
{
    for (const int step : {1, 2, 5, 10, 20, 50, 100})
        if (highest / step <= 5)
            return step;
    return 200;
}

}  // namespace

void Paint(QPainter& painter, const QRectF& target, const Picture& picture, const QString& emptyText)
{
    painter.save();
    const QFontMetricsF metrics(painter.font(), painter.device());
    const Histogram& h = picture.histogram;
    if (h.counts.empty() || h.binWidth <= 0.0) {
        painter.setPen(Qt::darkGray);
        painter.drawText(target, Qt::AlignCenter | Qt::TextWordWrap, emptyText);
        painter.restore();
        return;
    }
    const Frame frame = FrameOf(target, picture, metrics);
    const int highest = std::max(1, *std::max_element(h.counts.begin(), h.counts.end()));
    const int step = CountStep(highest);
    const int top = (highest + step - 1) / step * step;
    const auto yOf = [&](double count) { return frame.plot.bottom() - count / top * frame.plot.height(); };

    // Counts: marks and light rules across.
    painter.setPen(QPen(QColor(0xd8, 0xd8, 0xd8), frame.unit * 0.5));
    for (int c = step; c <= top; c += step)
        painter.drawLine(QPointF(frame.plot.left(), yOf(c)), QPointF(frame.plot.right(), yOf(c)));
    painter.setPen(Qt::black);
    for (int c = 0; c <= top; c += step)
        painter.drawText(QRectF(target.left(), yOf(c) - metrics.height() / 2, frame.plot.left() - target.left() - 2 * frame.unit,
                                metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(c));

    // The bars.
    painter.setPen(QPen(Qt::black, frame.unit * 0.5));
    painter.setBrush(kBar);
    for (std::size_t i = 0; i < h.counts.size(); ++i) {
        if (h.counts[i] == 0)
            continue;
        const double x0 = XOf(frame, h.Edge(i));
        const double x1 = XOf(frame, h.Edge(i + 1));
        painter.drawRect(QRectF(QPointF(x0, yOf(h.counts[i])), QPointF(x1, frame.plot.bottom())));
    }
    painter.setBrush(Qt::NoBrush);

    // The axes.
    painter.setPen(QPen(Qt::black, frame.unit));
    painter.drawLine(frame.plot.bottomLeft(), frame.plot.bottomRight());
    painter.drawLine(frame.plot.bottomLeft(), frame.plot.topLeft());

    // The edges, every one that has room.
    const auto edgeText = [&](double edge) {
        return picture.edgeText ? picture.edgeText(edge) : NumberText::General(edge);
    };
    double widest = 0.0;
    for (std::size_t i = 0; i <= h.counts.size(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(edgeText(h.Edge(i))));
    const double binPixels = XOf(frame, h.Edge(1)) - XOf(frame, h.Edge(0));
    const std::size_t every = std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil((widest * 1.3) / binPixels)));
    for (std::size_t i = 0; i <= h.counts.size(); i += every) {
        const double x = XOf(frame, h.Edge(i));
        painter.drawLine(QPointF(x, frame.plot.bottom()), QPointF(x, frame.plot.bottom() + 2 * frame.unit));
        painter.drawText(QRectF(x - widest, frame.plot.bottom() + 2 * frame.unit, 2 * widest, metrics.height()),
                         Qt::AlignHCenter | Qt::AlignTop, edgeText(h.Edge(i)));
    }
    painter.drawText(QRectF(frame.plot.left(), target.bottom() - metrics.height() * 1.2, frame.plot.width(),
                            metrics.height() * 1.2),
                     Qt::AlignHCenter | Qt::AlignBottom, picture.caption);

    // The mean, and one s on each side.
    if (picture.mean) {
        const auto vertical = [&](double value, Qt::PenStyle style) {
            QPen pen(kMean, frame.unit * (style == Qt::SolidLine ? 1.5 : 1.0), style);
            painter.setPen(pen);
            const double x = XOf(frame, value);
            painter.drawLine(QPointF(x, frame.plot.top()), QPointF(x, frame.plot.bottom()));
        };
        vertical(*picture.mean, Qt::SolidLine);
        if (picture.standardDeviation && *picture.standardDeviation > 0.0) {
            vertical(*picture.mean - *picture.standardDeviation, Qt::DashLine);
            vertical(*picture.mean + *picture.standardDeviation, Qt::DashLine);
        }
    }
    painter.restore();
}

}  // namespace HistogramPicture
