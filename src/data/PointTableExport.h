#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

class MeasurementRecord;

// The point table as a report or a spreadsheet shows it: the volume in millilitres (or, during
// a run, the time in seconds) and the pH, one row per point in table order.
namespace PointTableExport {

struct Table {
    QString xCaption;  // "Volume (mL)" or "Temps (s)"
    QString pHCaption = QStringLiteral("pH");
    // Number texts with ','. Volumes keep the file's resolution (0,000001 L = 0,001 mL).
    QList<std::pair<QString, QString>> rows;
};

// Volume mode: the volume cell read as litres and written in mL with 3 decimals, the pH cell
// unchanged. Time mode: the time and pH cells unchanged. Throws ConvertError at an unreadable
// volume.
Table FromRecord(const MeasurementRecord& record);

// For French spreadsheets: UTF-8 with a byte-order mark, ';' between fields, the caption line,
// CR LF after every line.
QByteArray CsvBytes(const Table& table);
// The same, then an empty line and the results given as the clipboard has them (caption TAB
// value CR per line), one row each; nothing more when `results` is empty.
QByteArray CsvBytes(const Table& table, const QString& results);

}  // namespace PointTableExport
