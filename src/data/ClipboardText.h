#pragma once

#include "data/MeasuredQuantity.h"

#include <QString>

class MeasurementRecord;

// The two-column text a spreadsheet pastes as columns: a header line, then volume TAB pH CR
// per point, in table order, nothing after the last CR.
namespace ClipboardText {

// "Volume versé en L" TAB "pH" CR; a conductivity names its unit: "Conductivité (mS/cm)".
QString Header(MeasuredQuantity quantity = MeasuredQuantity::PH);

// The cell texts unchanged (decimal comma as the table holds them).
QString BuildClipboardTextComma(const MeasurementRecord& record);
// The cells read with ',' and written with '.': volume fixed(6, 6), the value in its quantity's
// file format (pH fixed(4, 3)). The
// program's own number texts keep their ','. Throws ConvertError at the first unreadable cell.
QString BuildClipboardTextPoint(const MeasurementRecord& record);

}  // namespace ClipboardText
