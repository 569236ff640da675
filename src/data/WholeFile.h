#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

// The one writer of whole files (chemistry files, the table for a spreadsheet, the report, the
// chart's image, the station's files): the content goes to a temporary file that replaces
// `path` only once every byte has reached the disk, so a failure (a full disk, a refused
// write) leaves the earlier file whole, or no file, never an empty or half one. Throws
// FileError with the system's reason.
namespace WholeFile {

// Writes the content into the device it is handed; returns an empty text when it was
// produced, or why it could not be. A write refused by the device needs no check here: the
// failure is kept and reported by Write.
using Filler = std::function<QString(QIODevice& device)>;

void Write(const QString& path, const Filler& fill);
void Write(const QString& path, const QByteArray& bytes);

}  // namespace WholeFile
