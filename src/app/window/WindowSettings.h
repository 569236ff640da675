#pragma once

#include <QRect>

class QSettings;

// The main window's placement as written when it closes; never read back: the window always
// opens at its designed place.
namespace WindowSettings {

enum class State { Normal = 0, Minimised = 1, Maximised = 2 };

// "EtatFenetre", then, unless maximised, "Haut", "Gauche", "Largeur", "Hauteur" (pixels).
// Throws std::runtime_error (French) when the settings cannot be written.
void Write(QSettings& settings, State state, const QRect& frame);

}  // namespace WindowSettings
