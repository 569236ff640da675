#include "data/FileError.h"

#include <QDir>

FileError::FileError(const QString& message)
    : std::runtime_error(message.toStdString())
{
}

FileError FileError::CannotOpen(const QString& path, const QString& reason)
{
    return FileError(QStringLiteral("Impossible d'ouvrir le fichier « %1 » : %2")
                         .arg(QDir::toNativeSeparators(path), reason));
}

FileError FileError::CannotWrite(const QString& path, const QString& reason)
{
    return FileError(QStringLiteral("Impossible d'enregistrer le fichier « %1 » : %2")
                         .arg(QDir::toNativeSeparators(path), reason));
}

FileError FileError::CannotCreateFolder(const QString& path)
{
    return FileError(QStringLiteral("Impossible de créer le dossier « %1 »").arg(QDir::toNativeSeparators(path)));
}

FileError FileError::TooLarge(const QString& path)
{
    return FileError(QStringLiteral("Le fichier « %1 » est trop volumineux pour un fichier de chimie")
                         .arg(QDir::toNativeSeparators(path)));
}

namespace {

// "3,9 Go", "512 Mo": sizes as a French user reads them.
QString Size(qint64 bytes)
{
    const double mib = static_cast<double>(bytes) / (1024.0 * 1024.0);
    const QString text = mib >= 1024.0 ? QString::number(mib / 1024.0, 'f', 1) + QStringLiteral(" Go")
                                       : QString::number(mib, 'f', 0) + QStringLiteral(" Mo");
    return QString(text).replace(QLatin1Char('.'), QLatin1Char(','));
}

}  // namespace

FileError FileError::TooLargeForMemory(const QString& path, qint64 needed, qint64 machine)
{
    return FileError(QStringLiteral("Le fichier « %1 » est trop volumineux pour cet ordinateur : ses points demanderaient "
                                    "environ %2 de mémoire, plus du quart des %3 qu'il possède")
                         .arg(QDir::toNativeSeparators(path), Size(needed), Size(machine)));
}
