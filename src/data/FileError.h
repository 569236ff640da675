#pragma once

#include <QString>

#include <stdexcept>

// A file or folder that cannot be opened, read, created or written. what() is the French
// message, UTF-8, with the system's reason.
class FileError : public std::runtime_error {
public:
    explicit FileError(const QString& message);
    QString Text() const { return QString::fromUtf8(what()); }

    static FileError CannotOpen(const QString& path, const QString& reason);
    static FileError CannotWrite(const QString& path, const QString& reason);
    static FileError CannotCreateFolder(const QString& path);
    static FileError TooLarge(const QString& path);
    // `needed` and `machine` in bytes.
    static FileError TooLargeForMemory(const QString& path, qint64 needed, qint64 machine);
};
