#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QFileDialog;

// Shows a configured file dialog and returns the chosen path, empty when cancelled. The commands
// that ask for a file hold one, replaceable, so that tests choose the path instead of a person.
using FileDialogRunner = std::function<QString(QFileDialog&)>;
// The same for a dialog that may choose several files: all of them, none when cancelled.
using FilesDialogRunner = std::function<QStringList(QFileDialog&)>;

// The ones that show the dialog modally.
QStringList RunFilesDialog(QFileDialog& dialog);
QString RunFileDialog(QFileDialog& dialog);
