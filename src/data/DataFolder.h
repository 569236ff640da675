#pragma once

#include <QString>

// Where chemistry files are saved and where the file dialogs open.
namespace DataFolder {

// programDir + "/Valeurs", created with its missing parents when needed. When it cannot be
// created or written (a program installed in a system folder), fallbackBase + "/Quorin/Valeurs"
// instead, so that the automatic save at the end of a run does not fail for that reason. An
// empty fallbackBase means the user's documents folder.
QString Resolve(const QString& programDir, const QString& fallbackBase = QString());

// The class's received measurements: "Classe" beside the data folder, with the same fallback
// (fallbackBase + "/Quorin/Classe").
QString ResolveClass(const QString& programDir, const QString& fallbackBase = QString());

// Recovery files of interrupted runs that were not taken back: "Mesures interrompues" beside
// the data folder, with the same fallback.
QString ResolveInterrupted(const QString& programDir, const QString& fallbackBase = QString());

// Creates the folder if needed and checks that a file can be written in it.
bool IsWritable(const QString& folder);

}  // namespace DataFolder
