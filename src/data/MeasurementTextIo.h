#pragma once

#include "data/MeasuredQuantity.h"
#include "data/MeasurementRecord.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The measurement text: per point the pH cell text, TAB, the volume cell text, CR; then three
// more CR. It is the body of every chemistry file and the text sent over the network.
namespace MeasurementTextIo {

inline constexpr QChar kTab = QLatin1Char('\t');
inline constexpr QChar kCr = QLatin1Char('\r');
// A number field is at most 12 characters before its TAB or CR.
inline constexpr int kMaxFieldLength = 12;

// The cell texts of rows 1..PointCount copied unchanged, not re-formatted.
QString BuildMeasurementText(const MeasurementRecord& record);

enum class NumberRead {
    Number,      // a field converted; position is past its separator (or at the end of the text)
    EndOfData,   // a TAB or CR where a field should start, or the end of the text; position unchanged
    Unreadable,  // a field that does not convert, or one longer than kMaxFieldLength; value is 0
};

// Reads the field that starts at `position` (0-based index into `text`) up to the next TAB or
// CR. Only spaces may surround the number: an LF or another control character makes it
// unreadable, so a text with CR LF line ends stops after its first pair.
NumberRead ReadNextNumber(const QString& text, qsizetype& position, double& value);

struct FillResult {
    int pointCount = 0;
    // The reading ended on an unreadable number rather than at the end of the data; the caller
    // shows "Erreur de lecture de nombre réel.".
    bool unreadable = false;
};

// The point rows a measurement text gives, read apart from any record (a long file is read on
// a worker): `rows` is empty when no pH was read, else row 0 is left for the header.
struct TableRows {
    QList<MeasurementRecord::Row> rows;
    FillResult result;
};
// Told the share done, from 0 to 1, now and then; answers false to stop the reading.
using Progress = std::function<bool(double)>;
// Nothing when `progress` stopped it. Values are written in `valueFormat` (the pH's after an open
// by default), volumes fixed(6, 6).
std::optional<TableRows> ReadRows(const QString& text, const Progress& progress = {},
                                  MeasuredQuantities::CellFormat valueFormat = {});
// Puts rows read by ReadRows into the record, as FillTableFromText does.
FillResult ApplyRows(MeasurementRecord& record, TableRows table);

// Refills the point table from a measurement text: values in the record's quantity's file
// format (pH fixed(4, 3)), volume as fixed(6, 6),
// "Calcul" in the validation header, PointCount = pairs read. The time and validation cells of
// the old points are emptied. A pH whose volume cannot be read stays in a row below the counted
// points, uncounted. The table is replaced in one step.
FillResult FillTableFromText(MeasurementRecord& record, const QString& text);

// Status bar text for an unreadable number.
QString UnreadableNumberMessage();

}  // namespace MeasurementTextIo
