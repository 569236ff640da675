#pragma once

#include <QString>

class MeasurementRecord;

// The two-column text a spreadsheet pastes as columns: a header line, then volume TAB pH CR
// per point, in table order, nothing after the last CR.
namespace ClipboardText {

QString Header();  // "Volume versé en L" TAB "pH" CR

// The cell texts unchanged (decimal comma as the table holds them).
QString BuildClipboardTextComma(const MeasurementRecord& record);
// The cells read with ',' and written with '.': volume fixed(6, 6), pH fixed(4, 3). The
// program's own number texts keep their ','. Throws ConvertError at the first unreadable cell.
QString BuildClipboardTextPoint(const MeasurementRecord& record);

}  // namespace ClipboardText
