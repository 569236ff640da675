#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <condition_variable>
#include <thread>

// Appends a run's recovery lines to its file on a thread of its own, so that a slow disk (a
// network home folder, a worn USB key) never makes the window wait: queuing takes no lock that
// the writing thread holds, so the caller never waits on it, even while that thread is stalled
// in the disk. Sync asks for what is queued to be forced to the disk; several asks that come
// while a flush is under way make one flush. Failures never reach the caller: the first one is
// kept for TakeFailure, and the lines after it are dropped.
//
// One thread queues (the window's); the writer's own thread does the rest.
class RecoveryWriter {
public:
    static constexpr int kMissedWakeMs = 50;

    RecoveryWriter();
    // Does what is queued, then ends the thread.
    ~RecoveryWriter();
    RecoveryWriter(const RecoveryWriter&) = delete;
    RecoveryWriter& operator=(const RecoveryWriter&) = delete;

    // Creates (or empties) the file that the next lines go to; an open file is closed first.
    void Open(const QString& path);
    // With `sync`, as Append followed by Sync.
    void Append(const QByteArray& bytes, bool sync = false);
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
    int SyncCount() const { return syncs_; }

private:
    struct Command;
    struct Node;
    void Queue(std::unique_ptr<Node> node);
    Node* Next();
    void Run();

    // The queue: the caller links nodes at the head, the writer takes them at the tail (a
    // linked list with a placeholder node, so that neither side ever waits for the other).
    std::atomic<Node*> head_;
    Node* tail_;
    // Wakes the writer. The caller only tries its lock: when the writer holds it, the writer is
    // about to look at the queue or to wait, and a wake missed in that moment costs the writer at
    // most kMissedWakeMs before it looks again.
    std::mutex wakeLock_;
    std::condition_variable wake_;
    std::atomic<std::uint64_t> pushed_{0};
    std::atomic<std::uint64_t> done_{0};
    std::atomic<int> syncs_{0};
    std::atomic<bool> failed_{false};
    std::mutex failureLock_;
    QString failure_;  // guarded by failureLock_
    std::thread thread_;
};
