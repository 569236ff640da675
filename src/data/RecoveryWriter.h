#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QString>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>



// Appends a run's recovery lines to its file on a thread of its own, so that a slow disk (a
// network home folder, a worn USB key) never makes the window wait: the caller only queues the
// bytes. Sync asks for what is queued to be forced to the disk; several asks that come while a
// flush is under way make one flush. Failures never reach the caller: the first one is kept
// for TakeFailure, and the lines after it are dropped.
class RecoveryWriter {
public:
    RecoveryWriter();
    // Does what is queued, then ends the thread.
    ~RecoveryWriter();
    RecoveryWriter(const RecoveryWriter&) = delete;
    RecoveryWriter& operator=(const RecoveryWriter&) = delete;

    // Creates (or empties) the file that the next lines go to; an open file is closed first.
    void Open(const QString& path);
    void Append(const QByteArray& bytes);
    void Sync();
    // Closes the file, which stays.
    void Close();
    // Removes the file (closing it if it is the open one); `lock`, if any, is released after.
    void Remove(const QString& path, std::unique_ptr<QLockFile> lock = {});
    // Releases `lock` once everything queued before is done.
    void Release(std::unique_ptr<QLockFile> lock);

    // The first failure since the last call, in French; empty when none.
    QString TakeFailure();
    // Until everything queued so far is done (tests and benchmarks).
    void WaitIdle();
    // Flushes to the disk made since the start.
    int SyncCount() const;

private:
    struct Command;
    struct State;
    void Queue(Command command);
    void Run();

    std::unique_ptr<State> state_;
    std::thread thread_;
};
