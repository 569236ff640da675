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

// How a value cell is written: fixed(precision, decimals).
struct CellFormat {
    int precision = 4;
    int decimals = 3;
};
// During a run: the pH fixed(5, 3); conductivities to a tenth of a µS/cm, six digits at most.
CellFormat RunCellFormat(MeasuredQuantity quantity);
// After an open, a restore or a reduction: the pH fixed(4, 3); conductivities as in a run, so
// that reading a file back never loses a digit it holds.
CellFormat FileCellFormat(MeasuredQuantity quantity);
// The table's column caption: "pH", "σ (mS/cm)", "σ (µS/cm)".
QString TableCaption(MeasuredQuantity quantity);
// The caption of copies, spreadsheets and reports: "pH", "Conductivité (mS/cm)"; Windows-1252-safe.
QString Caption(MeasuredQuantity quantity);
// A reading as the window's value field shows it: the pH fixed(4, 2) ("7,02"), a
// conductivity to four digits ("4,261" mS/cm, "426,1" µS/cm).
QString ValueText(MeasuredQuantity quantity, double value);

}  // namespace MeasuredQuantities
