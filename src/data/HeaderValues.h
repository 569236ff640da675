#pragma once

#include "data/MeasuredQuantity.h"

#include <QString>

// The header values of chemistry files: free texts that nothing validates; the three titration
// values travel with the measurements, and the analysis reads Cb and Va for the concentration.
struct HeaderValues {
    // Comment saved in line 2; changes only when the comment dialog closes.
    QString currentComment;
    // Concentration of the solution in the beaker, mol/L (line 9).
    QString beakerConcentration = QStringLiteral("0,01");
    // Concentration of the reagent in the burette, mol/L (line 10).
    QString buretteConcentration = QStringLiteral("0,01");
    // Volume of solution in the beaker, L (line 11).
    QString beakerVolume = QStringLiteral("0,020");
    // True once the three quantities were typed in the comment dialog or read from a file:
    // the start-up values above are nobody's measurement and give no concentration.
    bool quantitiesConfirmed = false;
    // What the points measure (line 13, empty for the pH).
    MeasuredQuantity quantity = MeasuredQuantity::PH;
};
