#include "support/StartupValues.h"

#include "data/ChemistryFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString programDir;
QString helpFilePath;
QString stateDir;
}

namespace StartupValues {

QString ProgramDir()
{
    return programDir;
}

QString ProgramDirFromPath(const QString& programFilePath)
{
    // The folder that holds the file, whatever the file is called.
    const QString folder = QFileInfo(programFilePath).absolutePath();
    QString dir = QDir::cleanPath(folder);
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return QDir::toNativeSeparators(dir);
}

void SetProgramDir(const QString& dir)
{
    programDir = dir;
}

QString StateDir()
{
    return stateDir.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) : stateDir;
}

void SetStateDir(const QString& dir)
{
    stateDir = dir;
}

QString HelpFilePath()
{
    return helpFilePath;
}

void SetHelpFilePath(const QString& path)
{
    helpFilePath = path;
}

void Initialise(const QString& programFilePath)
{
    SetProgramDir(ProgramDirFromPath(programFilePath));
    SetHelpFilePath(ProgramDir() + QDir::separator() + QStringLiteral("Aides") + QDir::separator()
                    + QStringLiteral("Vexbase7.Hlp"));
}

QString OrganisationName()
{
    return QStringLiteral("Torvi");
}

void NameTheProgram()
{
    QCoreApplication::setOrganizationName(OrganisationName());
    QCoreApplication::setApplicationName(ChemistryFile::ProgramName());
    QCoreApplication::setApplicationVersion(ChemistryFile::Version());
}

}  // namespace StartupValues
