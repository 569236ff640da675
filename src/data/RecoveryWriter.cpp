#include "RecoveryWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <utility>
#include <vector>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

bool SyncHandle(int handle)
{
#ifdef Q_OS_WIN
    return _commit(handle) == 0;
#else
    return ::fsync(handle) == 0;
#endif
}

// The folder's entry for a new file reaches the disk too, or a power cut could leave no file.
void SyncFolder(const QString& folder)
{
#ifndef Q_OS_WIN
    const int handle = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (handle >= 0) {
        ::fsync(handle);
        ::close(handle);
    }
#else
    Q_UNUSED(folder);
#endif
}

}  // namespace

struct RecoveryWriter::Command {
    enum class Kind { Open, Append, Sync, Close, Remove, Release } kind;
    QString path;
    QByteArray bytes;
    std::unique_ptr<QLockFile> lock;
};

struct RecoveryWriter::State {
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<Command> queue;  // guarded by mutex
    bool busy = false;          // guarded by mutex
    bool ending = false;        // guarded by mutex
    QString failure;            // guarded by mutex
    int syncs = 0;              // guarded by mutex
    // The writing thread's own.
    std::unique_ptr<QFile> file;
};

RecoveryWriter::RecoveryWriter()
    : state_(std::make_unique<State>())
    , thread_([this] { Run(); })
{
}

RecoveryWriter::~RecoveryWriter()
{
    {
        std::lock_guard lock(state_->mutex);
        state_->ending = true;
    }
    state_->wake.notify_all();
    thread_.join();
}

void RecoveryWriter::Queue(Command command)
{
    {
        std::lock_guard lock(state_->mutex);
        state_->queue.push_back(std::move(command));
    }
    state_->wake.notify_one();
}

void RecoveryWriter::Open(const QString& path)
{
    Queue({Command::Kind::Open, path, {}, {}});
}

void RecoveryWriter::Append(const QByteArray& bytes)
{
    Queue({Command::Kind::Append, {}, bytes, {}});
}

void RecoveryWriter::Sync()
{
    Queue({Command::Kind::Sync, {}, {}, {}});
}

void RecoveryWriter::Close()
{
    Queue({Command::Kind::Close, {}, {}, {}});
}

void RecoveryWriter::Remove(const QString& path, std::unique_ptr<QLockFile> lock)
{
    Queue({Command::Kind::Remove, path, {}, std::move(lock)});
}

void RecoveryWriter::Release(std::unique_ptr<QLockFile> lock)
{
    Queue({Command::Kind::Release, {}, {}, std::move(lock)});
}

QString RecoveryWriter::TakeFailure()
{
    std::lock_guard lock(state_->mutex);
    return std::exchange(state_->failure, QString());
}

void RecoveryWriter::WaitIdle()
{
    std::unique_lock lock(state_->mutex);
    state_->idle.wait(lock, [&] { return state_->queue.empty() && !state_->busy; });
}

int RecoveryWriter::SyncCount() const
{
    std::lock_guard lock(state_->mutex);
    return state_->syncs;
}

void RecoveryWriter::Run()
{
    State& s = *state_;
    auto fail = [&s](const QString& text) {
        s.file.reset();
        std::lock_guard lock(s.mutex);
        if (s.failure.isEmpty())
            s.failure = text;
    };
    auto closeFile = [&s] { s.file.reset(); };
    for (;;) {
        std::vector<Command> batch;
        {
            std::unique_lock lock(s.mutex);
            s.busy = false;
            s.idle.notify_all();
            s.wake.wait(lock, [&] { return s.ending || !s.queue.empty(); });
            if (s.queue.empty())
                return;
            s.busy = true;
            while (!s.queue.empty()) {
                batch.push_back(std::move(s.queue.front()));
                s.queue.pop_front();
            }
        }
        // Appends are written as they come; the flush asked for by any Sync of the batch is
        // made once, after them, or before the file is closed.
        bool syncWanted = false;
        auto flush = [&] {
            if (!syncWanted || !s.file)
                return;
            syncWanted = false;
            if (!s.file->flush() || !SyncHandle(s.file->handle()))
                fail(QStringLiteral("« %1 » : %2").arg(QDir::toNativeSeparators(s.file->fileName()),
                                                     s.file->errorString()));
            std::lock_guard lock(s.mutex);
            ++s.syncs;
        };
        for (Command& command : batch) {
            switch (command.kind) {
            case Command::Kind::Open: {
                flush();
                closeFile();
                auto file = std::make_unique<QFile>(command.path);
                if (!QDir().mkpath(QFileInfo(command.path).absolutePath())
                    || !file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
                    fail(QStringLiteral("« %1 » : %2").arg(QDir::toNativeSeparators(command.path), file->errorString()));
                    break;
                }
                s.file = std::move(file);
                SyncFolder(QFileInfo(command.path).absolutePath());
                break;
            }
            case Command::Kind::Append:
                if (s.file && s.file->write(command.bytes) != command.bytes.size())
                    fail(QStringLiteral("« %1 » : %2").arg(QDir::toNativeSeparators(s.file->fileName()),
                                                         s.file->errorString()));
                break;
            case Command::Kind::Sync:
                syncWanted = true;
                break;
            case Command::Kind::Close:
                flush();
                closeFile();
                break;
            case Command::Kind::Remove:
                if (s.file && QFileInfo(s.file->fileName()) == QFileInfo(command.path))
                    closeFile();
                QFile::remove(command.path);
                command.lock.reset();
                break;
            case Command::Kind::Release:
                command.lock.reset();
                break;
            }
        }
        flush();
    }
}
