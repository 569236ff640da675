#include "data/WholeFile.h"

#include "data/FileError.h"

#include <QSaveFile>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace WholeFile {

namespace {

// A write cut short (the last blocks that still fit) fails without a reason of its own; one
// more attempt meets the refusal itself, which names it.
QString FailureReason(QSaveFile& file)
{
    file.flush();
    return file.errorString();
}

// What the filler writes to: every byte handed over is passed on to the temporary file until
// the file takes it or refuses it, and the first refusal's reason is kept. (A writer that
// does not look at what a write returns, as a PDF writer, still has its failure seen.)
class PassOnDevice final : public QIODevice {
public:
    explicit PassOnDevice(QSaveFile& file) : file_(file) { open(QIODevice::WriteOnly); }

    const QString& Failure() const { return failure_; }

    bool seek(qint64 position) override { return QIODevice::seek(position) && file_.seek(position); }
    qint64 size() const override { return file_.size(); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override
    {
        if (!failure_.isEmpty())
            return -1;
        qint64 done = 0;
        while (done < length) {
            const qint64 written = file_.write(data + done, length - done);
            if (written <= 0) {
                failure_ = FailureReason(file_);
                return -1;
            }
            done += written;
        }
        return length;
    }

private:
    QSaveFile& file_;
    QString failure_;
};

// QSaveFile keeps small writes in its buffer, and its commit() renames the file even when the
// flush that empties that buffer fails: on a full disk that commits an empty file. The buffer
// is therefore emptied here, where a failure can still stop the commit.
QString FlushFailure(QSaveFile& file)
{
    return file.flush() ? QString() : FailureReason(file);
}

// A file system may accept the bytes in memory and find no room for them only when they are
// written out (network and delayed-allocation file systems): waiting for the disk here lets
// that failure stop the commit too.
QString SyncFailure(QSaveFile& file)
{
#ifdef Q_OS_UNIX
    const int descriptor = file.handle();
    if (descriptor >= 0 && ::fsync(descriptor) != 0 && errno != EINVAL && errno != EROFS)
        return qt_error_string(errno);
#else
    Q_UNUSED(file);
#endif
    return {};
}

}  // namespace

void Write(const QString& path, const Filler& fill)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw FileError::CannotWrite(path, file.errorString());
    // Until commit() the file under `path`, if any, stays as it was; the temporary file goes
    // with `file` unless committed.
    PassOnDevice device(file);
    QString failure = fill(device);
    if (failure.isEmpty())
        failure = device.Failure();
    if (failure.isEmpty())
        failure = FlushFailure(file);
    if (failure.isEmpty())
        failure = SyncFailure(file);
    if (!failure.isEmpty()) {
        file.cancelWriting();
        throw FileError::CannotWrite(path, failure);
    }
    if (!file.commit())
        throw FileError::CannotWrite(path, file.errorString());
}

void Write(const QString& path, const QByteArray& bytes)
{
    Write(path, [&bytes](QIODevice& device) {
        device.write(bytes);
        return QString();
    });
}

}  // namespace WholeFile
