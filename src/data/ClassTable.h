#pragma once

#include "data/ReceivedMeasurements.h"

#include <QList>
#include <QString>
#include <QStringList>

// The teacher's station's table of received measurements as texts: one row per text with its
// arrival time, the sender's address, the number of points, the equivalence volume and the pH
// at half-equivalence; the same rows for a spreadsheet; the chemistry file of one measurement.
namespace ClassTable {

using Entry = ReceivedMeasurements::Entry;

QString UnreadableText();  // "illisible"
QString NotFoundText();    // "introuvable"

// "Heure", "Adresse", "Points", "Ve (mL)", "pH à Ve/2".
QStringList Headers();
// The row of one entry, as the headers say: Ve and pH with two decimals and ','; a curve of
// several equivalences lists each, separated by " ; "; a conductivity curve gives the lines'
// crossing and names its quantity instead of a pH, with ", Va inconnu" while the crossing is
// that of lines not corrected for the dilution.
QStringList Cells(const Entry& entry);
// The header line and one line per entry in the order given, TAB between cells, CR after each
// line, as spreadsheets paste them.
QString ClipboardText(const QList<Entry>& entries);

// What a legend calls the curve: "192.168.1.12 14:03:27".
QString CurveName(const Entry& entry);

// The file text of a readable entry: a chemistry file whose comment says where and when the
// measurement came from, with the pairs of the text as they came.
QString FileText(const Entry& entry);
// Writes a readable entry into `folder` as "<address> <yyyy-MM-dd> <HHhmmmss>.che", or with
// " (2)", " (3)"... before the extension when that name is taken: an existing file is never
// replaced. Returns the path written. Throws FileError.
QString Save(const Entry& entry, const QString& folder);

}  // namespace ClassTable
