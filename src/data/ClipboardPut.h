#pragma once

#include <QByteArray>
#include <QString>

class QClipboard;
class QMimeData;

// Puts a clipboard text on the system clipboard: the plain text, and a second format named
// "Link" holding program name NUL topic NUL item NUL, the link a spreadsheet's paste-link
// command looks for. (No link server answers it where the platform has none.)
namespace ClipboardPut {

QString LinkTopic();  // "FOutilsU"
QString LinkItem();   // "serveurDDE"
// The clipboard format's name as Qt knows it ("Link" registered with the system on Windows).
QString LinkMimeType();
// The name of the program file, cut at its first dot.
QString ProgramName();
QByteArray LinkData(const QString& programName);

// The two formats, ready for a clipboard; the caller owns the result until handed over.
QMimeData* MakeMimeData(const QString& text, const QString& programName);

// Replaces the clipboard's contents with `text` and the link (the application's clipboard
// when none is given).
void PutOnClipboard(const QString& text, QClipboard* clipboard = nullptr);

}  // namespace ClipboardPut
