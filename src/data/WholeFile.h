#pragma once

#include <QByteArray>
#include <QString>

namespace WholeFile {

// Writes the bytes through a temporary file that replaces `path` only once complete, so a
// failure leaves the old file (or none), never half a file. Throws FileError with the
// system's reason.
void Write(const QString& path, const QByteArray& bytes);

}  // namespace WholeFile
