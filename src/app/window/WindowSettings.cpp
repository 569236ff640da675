#include "window/WindowSettings.h"

#include <QSettings>

#include <stdexcept>

namespace WindowSettings {

void Write(QSettings& settings, State state, const QRect& frame)
{
    settings.setValue(QStringLiteral("EtatFenetre"), static_cast<int>(state));
    if (state != State::Maximised) {
        settings.setValue(QStringLiteral("Haut"), frame.top());
        settings.setValue(QStringLiteral("Gauche"), frame.left());
        settings.setValue(QStringLiteral("Largeur"), frame.width());
        settings.setValue(QStringLiteral("Hauteur"), frame.height());
    }
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw std::runtime_error(
            QStringLiteral("Impossible d'écrire les réglages dans %1").arg(settings.fileName()).toStdString());
}

}  // namespace WindowSettings
