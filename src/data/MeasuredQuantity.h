#pragma once

#include <QString>

// What the record's first column holds: the pH, or the conductivity in one of two units (µS/cm
// for dilute solutions). A chemistry file of a conductivity carries it in its 13th header
// line, which files of pH leave empty and readers that know only pH never look at.
enum class MeasuredQuantity { PH, ConductivityMilliSiemens, ConductivityMicroSiemens };

namespace MeasuredQuantities {

bool IsConductivity(MeasuredQuantity quantity);
// "pH", "Conductivité".
QString Name(MeasuredQuantity quantity);
// "" for the pH, "mS/cm", "µS/cm".
QString Unit(MeasuredQuantity quantity);
// The 13th header line: empty for the pH, "Conductivité (mS/cm)", "Conductivité (µS/cm)".
QString HeaderLine(MeasuredQuantity quantity);
// The quantity a 13th header line names; any other text, an empty one included, is the pH,
// as every file written before the conductivity was.
MeasuredQuantity FromHeaderLine(const QString& line);

}  // namespace MeasuredQuantities
