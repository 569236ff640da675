#pragma once

#include "data/MeasuredQuantity.h"

#include <QString>

// The text sent over the network for a record. A record of pH sends its measurement text as it
// always did, byte for byte. A record of conductivity adds, after the three CR that end the
// measurement text, the line that names its quantity in a chemistry file's header: a reader of
// the points stops at the first empty field, so copies that know only pH still read the points
// and never see that line.
namespace SentMeasurement {

QString Text(const QString& measurementText, MeasuredQuantity quantity);

// The quantity a received text names after its points, `dataLength` being where its whole
// pairs end; the pH when it names none.
MeasuredQuantity Quantity(const QString& text, qsizetype dataLength);

}  // namespace SentMeasurement
