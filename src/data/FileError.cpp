#include "FileError.h"

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
