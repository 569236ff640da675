#pragma once

#include <QByteArray>
#include <QString>

// Texts that leave the program (files, clipboard, network) are single-byte Windows-1252; the
// conversion happens here, at the boundary, and nowhere else.
namespace Windows1252 {

// A character the code page cannot hold becomes '?'. (The converter's own substitute is byte
// 26, which ends a chemistry file when it is read back.)
QByteArray Encode(const QString& text);
QString Decode(const QByteArray& bytes);

}  // namespace Windows1252
