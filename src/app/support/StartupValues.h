#pragma once

#include <QString>

// Values fixed once at start, before any window exists.
namespace StartupValues {

// Folder of the running program file, without a trailing separator; the help files
// (Aides/), the companion browser and the default data folder (Valeurs/) are found from it.
QString ProgramDir();
// Computes ProgramDir from the program file's full path (for the program, the platform's).
QString ProgramDirFromPath(const QString& programFilePath);
void SetProgramDir(const QString& dir);

// The application's current help file: ProgramDir + "/Aides/Vexbase7.Hlp" at start.
QString HelpFilePath();
void SetHelpFilePath(const QString& path);

// The user's state folder for the program, where the journal and the recovery files of runs
// under way are kept: the platform's application data folder unless set (tests, benchmarks).
QString StateDir();
void SetStateDir(const QString& dir);

// Sets both from the program's path; called first thing in main.
void Initialise(const QString& programFilePath);

// The maker's name, under which the program keeps its settings ("Torvi").
QString OrganisationName();
// Names the application (maker, program "Quorin", version "7.0.0"): every QSettings() of the
// program then opens the one key "Software\Torvi\Quorin" (a file elsewhere), and the
// journal's folder is the program's own.
void NameTheProgram();

}  // namespace StartupValues
