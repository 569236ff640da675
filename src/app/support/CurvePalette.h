#pragma once

#include <QColor>
#include <QPen>

// Pens of curves drawn side by side (reference curves, a class's measurements): eight colours
// that stay apart from each other and from the record's red line, its green or red marks, the
// orange model, the blue derivative and the purple equivalence mark; from the ninth curve on,
// the same colours again, dashed.
namespace CurvePalette {

inline constexpr int kColourCount = 8;

inline QColor Colour(int index)
{
    static const QColor colours[kColourCount] = {
        QColor(0, 130, 200), QColor(0, 150, 80),  QColor(210, 90, 170), QColor(130, 80, 30),
        QColor(100, 100, 100), QColor(0, 185, 195), QColor(160, 160, 0), QColor(100, 60, 210),
    };
    return colours[(index % kColourCount + kColourCount) % kColourCount];
}

// A pen of at most one pixel is drawn by the painter's fast line path, dashed or not: wider
// ones are outlined as shapes, which costs many times more for a chart of many curves.
inline QPen Pen(int index, double width = 1.5)
{
    QPen pen(Colour(index), width);
    if (index >= kColourCount)
        pen.setStyle(Qt::DashLine);
    return pen;
}

}  // namespace CurvePalette
