#pragma once

#include <QString>

#include <functional>

class QFileDialog;

// Shows a configured file dialog and returns the chosen path, empty when cancelled. The commands
// that ask for a file hold one, replaceable, so that tests choose the path instead of a person.
using FileDialogRunner = std::function<QString(QFileDialog&)>;

// The one that shows the dialog modally.
QString RunFileDialog(QFileDialog& dialog);
