#include "data/DataFolder.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace DataFolder {

namespace {

QString ResolveNamed(const QString& programDir, const QString& fallbackBase, const QString& name)
{
    if (!programDir.isEmpty()) {
        const QString primary = QDir::cleanPath(QDir::fromNativeSeparators(programDir) + QLatin1Char('/') + name);
        if (IsWritable(primary))
            return primary;
    }
    const QString base = fallbackBase.isEmpty()
        ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
        : fallbackBase;
    const QString fallback = QDir::cleanPath(QDir::fromNativeSeparators(base) + QStringLiteral("/Quorin/") + name);
    // When this fails too, the save reports the system's reason for this folder.
    QDir().mkpath(fallback);
    return fallback;
}

}  // namespace

bool IsWritable(const QString& folder)
{
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return false;
    // Permission bits do not tell the whole story (read-only media, access lists, root): try.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("quorin-XXXXXX.tmp")));
    return probe.open();
}

QString Resolve(const QString& programDir, const QString& fallbackBase)
{
    return ResolveNamed(programDir, fallbackBase, QStringLiteral("Valeurs"));
}

QString ResolveClass(const QString& programDir, const QString& fallbackBase)
{
    return ResolveNamed(programDir, fallbackBase, QStringLiteral("Classe"));
}

QString ResolveInterrupted(const QString& programDir, const QString& fallbackBase)
{
    return ResolveNamed(programDir, fallbackBase, QStringLiteral("Mesures interrompues"));
}

}  // namespace DataFolder
