#include "WholeFile.h"

#include "FileError.h"

#include <QSaveFile>

namespace WholeFile {

void Write(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw FileError::CannotWrite(path, file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw FileError::CannotWrite(path, reason);
    }
    if (!file.commit())
        throw FileError::CannotWrite(path, file.errorString());
}

}  // namespace WholeFile
