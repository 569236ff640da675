#include "data/RecoveryWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <utility>

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
    enum class Kind { None, Open, Append, Sync, Close, Remove, Release, End } kind = Kind::None;
    QString path;
    QByteArray bytes;
    bool sync = false;
    std::unique_ptr<QLockFile> lock;
};

struct RecoveryWriter::Node {
    std::atomic<Node*> next{nullptr};
    Command command;
};

RecoveryWriter::RecoveryWriter()
    : head_(new Node)
    , tail_(head_.load())
    , thread_([this] { Run(); })
{
}

RecoveryWriter::~RecoveryWriter()
{
    auto end = std::make_unique<Node>();
    end->command.kind = Command::Kind::End;
    Queue(std::move(end));
    thread_.join();
    delete tail_;
}

void RecoveryWriter::Queue(std::unique_ptr<Node> node)
{
    Node* const added = node.release();
    Node* const previous = head_.exchange(added, std::memory_order_acq_rel);
    previous->next.store(added, std::memory_order_release);
    pushed_.fetch_add(1, std::memory_order_release);
    std::unique_lock lock(wakeLock_, std::try_to_lock);
    if (lock.owns_lock())
        wake_.notify_one();
}

RecoveryWriter::Node* RecoveryWriter::Next()
{
    for (;;) {
        Node* const next = tail_->next.load(std::memory_order_acquire);
        if (next) {
            // The one before, whose command is done, goes.
            delete tail_;
            tail_ = next;
            return next;
        }
        std::unique_lock lock(wakeLock_);
        if (!tail_->next.load(std::memory_order_acquire))
            wake_.wait_for(lock, std::chrono::milliseconds(kMissedWakeMs));
    }
}

void RecoveryWriter::Open(const QString& path)
{
    auto node = std::make_unique<Node>();
    node->command.kind = Command::Kind::Open;
    node->command.path = path;
    Queue(std::move(node));
}

void RecoveryWriter::Append(const QByteArray& bytes, bool sync)
{
    auto node = std::make_unique<Node>();
    node->command.kind = Command::Kind::Append;
    node->command.bytes = bytes;
    node->command.sync = sync;
    Queue(std::move(node));
}

void RecoveryWriter::Sync()
{
    auto node = std::make_unique<Node>();
    node->command.kind = Command::Kind::Sync;
    Queue(std::move(node));
}

void RecoveryWriter::Close()
{
    auto node = std::make_unique<Node>();
    node->command.kind = Command::Kind::Close;
    Queue(std::move(node));
}

void RecoveryWriter::Remove(const QString& path, std::unique_ptr<QLockFile> lock)
{
    auto node = std::make_unique<Node>();
    node->command.kind = Command::Kind::Remove;
    node->command.path = path;
    node->command.lock = std::move(lock);
    Queue(std::move(node));
}

void RecoveryWriter::Release(std::unique_ptr<QLockFile> lock)
{
    auto node = std::make_unique<Node>();
    node->command.kind = Command::Kind::Release;
    node->command.lock = std::move(lock);
    Queue(std::move(node));
}

QString RecoveryWriter::TakeFailure()
{
    if (!failed_.exchange(false))
        return {};
    std::lock_guard lock(failureLock_);
    return std::exchange(failure_, QString());
}

void RecoveryWriter::WaitIdle()
{
    const std::uint64_t target = pushed_.load(std::memory_order_acquire);
    for (std::uint64_t done = done_.load(std::memory_order_acquire); done < target;
         done = done_.load(std::memory_order_acquire))
        done_.wait(done);
}

void RecoveryWriter::Run()
{
    std::unique_ptr<QFile> file;
    auto fail = [&](const QString& path, const QString& reason) {
        file.reset();
        std::lock_guard lock(failureLock_);
        if (failure_.isEmpty())
            failure_ = QStringLiteral("« %1 » : %2").arg(QDir::toNativeSeparators(path), reason);
        failed_ = true;
    };
    // The flush asked for is made once nothing more is queued (before the command is counted
    // done), or before the file is closed: asks that pile up while the disk is slow make one.
    bool syncWanted = false;
    auto flush = [&] {
        if (!syncWanted || !file)
            return;
        syncWanted = false;
        if (!file->flush() || !SyncHandle(file->handle()))
            fail(file->fileName(), file->errorString());
        ++syncs_;
    };
    auto finished = [this] {
        done_.fetch_add(1, std::memory_order_release);
        done_.notify_all();
    };
    for (;;) {
        Command& command = Next()->command;
        switch (command.kind) {
        case Command::Kind::Open: {
            flush();
            file.reset();
            auto opened = std::make_unique<QFile>(command.path);
            const QString folder = QFileInfo(command.path).absolutePath();
            if (!QDir().mkpath(folder) || !opened->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
                fail(command.path, opened->errorString());
                break;
            }
            file = std::move(opened);
            SyncFolder(folder);
            break;
        }
        case Command::Kind::Append:
            if (file && file->write(command.bytes) != command.bytes.size())
                fail(file->fileName(), file->errorString());
            syncWanted = syncWanted || command.sync;
            break;
        case Command::Kind::Sync:
            syncWanted = true;
            break;
        case Command::Kind::Close:
            flush();
            file.reset();
            break;
        case Command::Kind::Remove:
            if (file && QFileInfo(file->fileName()) == QFileInfo(command.path))
                file.reset();
            QFile::remove(command.path);
            break;
        case Command::Kind::Release:
        case Command::Kind::None:
            break;
        case Command::Kind::End:
            flush();
            finished();
            return;
        }
        // The lock goes only after what it guards is done.
        command.lock.reset();
        command.bytes = QByteArray();
        if (!tail_->next.load(std::memory_order_acquire))
            flush();
        finished();
    }
}
