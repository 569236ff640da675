#pragma once

#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QWidget>

// The colours of the focus frames around the measure and calibrate buttons.
namespace FrameColours {

inline const QColor kLime(0, 255, 0);
inline const QColor kRed(255, 0, 0);
inline const QColor kGreyishRed(187, 136, 136);

// The system's menu colour: a frame painted with it disappears.
inline QColor Menu()
{
    return QApplication::palette().color(QPalette::Window);
}

// The frame of a button that runs something (a run, a calibration): red while it runs and the
// button has the focus, greyish red while it runs without it; lime for the focus otherwise.
inline QColor Of(bool focused, bool running)
{
    if (focused)
        return running ? kRed : kLime;
    return running ? kGreyishRed : Menu();
}

inline void Paint(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
}

}  // namespace FrameColours
