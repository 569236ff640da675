#include "support/DesignFont.h"

#include <QStringList>

QFont DesignFont(int points)
{
    // Where the platform lacks the designed font, Qt falls back to its sans serif.
    // A metric-compatible narrow sans serif keeps the 121-pixel panel readable.
    static const bool substituted = [] {
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                                   {QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
        return true;
    }();
    Q_UNUSED(substituted);
    QFont font(QStringLiteral("MS Sans Serif"), points);
    font.setStyleHint(QFont::SansSerif);
    return font;
}
