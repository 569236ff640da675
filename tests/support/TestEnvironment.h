#pragma once

#include <QString>

// Every test process runs with QStandardPaths in test mode and QSettings pointed at a private
// temporary folder, so no test reads or writes the user's real settings or documents.
namespace TestEnvironment {
// The temporary folder that holds this process's settings.
QString SettingsDir();
// Removes every stored setting of this process.
void ClearSettings();
}  // namespace TestEnvironment
