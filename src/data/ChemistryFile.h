#pragma once

#include "data/HeaderValues.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

// Chemistry files (".che"): 15 header lines, each ended by CR, then the measurement text, then
// CR LF; Windows-1252 bytes. Reading interprets only the comment (line 2), the three
// titration values (lines 9 to 11) and the measured quantity (line 13, empty for the pH);
// lines 6, 7, 8 and 12 travel unchanged from the last file read to every file written.
namespace ChemistryFile {

inline constexpr int kHeaderLineCount = 15;
// Far above any titration (10^6 points take about 17 MB); a bigger file is refused rather
// than exhausting memory.
inline constexpr qint64 kMaxFileSize = qint64(256) * 1024 * 1024;
// The memory that opening takes for each byte of a file (the bytes and their text while
// reading, the table's cells, the chart's numbers, the held copy), measured at its peak on
// files of short lines as a run writes them.
inline constexpr qint64 kMemoryPerFileByte = 20;

// Throws FileError when the points of a file of `fileBytes` would need more than a quarter of
// `machineMemory` (bytes; 0 when unknown: no check), before anything is read.
void CheckFitsInMemory(const QString& name, qint64 fileBytes, qint64 machineMemory);

QString ProgramName();  // "Quorin", line 1
QString Version();      // "7.0.0", line 4

struct Contents {
    QStringList headerLines;  // always kHeaderLineCount texts
    QString body;             // every byte after the 15th line end, up to the end or a byte 26
};

// A line ends at CR, an LF right after it is skipped; a byte 26 or the end of the bytes ends
// the file, and the missing lines are empty.
Contents Parse(const QByteArray& bytes);
// Reads an open device; `name` is the file name in messages. Throws FileError.
Contents Read(QIODevice& device, const QString& name);
// Opens and reads the file. Throws FileError with the system's reason.
Contents Read(const QString& path);

// The 15 header lines, each followed by CR, then the measurement text.
QString BuildFileText(const QStringList& headerLines, const HeaderValues& values, const QString& measurementText);
// The file's bytes: the file text in Windows-1252, then CR LF.
QByteArray FileBytes(const QString& fileText);
// Writes through a temporary file that replaces `path` only once complete, so a full disk or
// a refused write leaves any earlier file whole. Throws FileError with the system's reason.
void Write(const QString& path, const QString& fileText);

}  // namespace ChemistryFile
