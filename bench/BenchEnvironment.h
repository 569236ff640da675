#pragma once

#include "support/StartupValues.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

// A benchmark runs on a fresh machine, as a fresh user, and leaves the user's own files alone:
// the program is named as it names itself at start (so its settings have a key to go under),
// and its settings, its state folder (journal, recovery files) and its data folder are
// temporary. Made once the application object exists, before any window.
class BenchEnvironment {
public:
    BenchEnvironment()
    {
        StartupValues::NameTheProgram();
        for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, folder_.filePath(QStringLiteral("reglages")));
        StartupValues::SetStateDir(folder_.filePath(QStringLiteral("etat")));
        StartupValues::SetProgramDir(folder_.filePath(QStringLiteral("programme")));
    }
    BenchEnvironment(const BenchEnvironment&) = delete;
    BenchEnvironment& operator=(const BenchEnvironment&) = delete;

    QString Path() const { return folder_.path(); }

private:
    QTemporaryDir folder_;
};
