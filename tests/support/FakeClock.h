#pragma once

#include "board/Clock.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

// Time that moves only when told to. WaitUntil jumps straight to the deadline, unless the
// waits are held: then it blocks until the test has moved the time there, so that a board
// measurement is under way on the measurement thread for as long as the test says. Safe to
// read and move from several threads.
class FakeClock final : public Clock {
public:
    explicit FakeClock(std::int64_t startMs = 1'000'000) : now_(startMs) {}

    std::int64_t NowMs() const override
    {
        const std::lock_guard lock(mutex_);
        return now_;
    }
    void WaitUntil(std::int64_t deadlineMs) override
    {
        std::unique_lock lock(mutex_);
        ++sleepers_;
        changed_.notify_all();
        changed_.wait(lock, [&] { return !held_ || now_ >= deadlineMs; });
        --sleepers_;
        now_ = std::max(now_, deadlineMs);
    }
    void Advance(std::int64_t ms)
    {
        const std::lock_guard lock(mutex_);
        now_ += ms;
        changed_.notify_all();
    }
    void AdvanceTo(std::int64_t ms)
    {
        const std::lock_guard lock(mutex_);
        now_ = std::max(now_, ms);
        changed_.notify_all();
    }
    // Held: WaitUntil blocks until the time reaches its deadline. Releasing lets every
    // waiter jump to its deadline.
    void HoldWaits(bool held)
    {
        const std::lock_guard lock(mutex_);
        held_ = held;
        changed_.notify_all();
    }
    // Until a thread waits in WaitUntil; false after 10 s without one.
    bool WaitForSleeper()
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return sleepers_ > 0; });
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::int64_t now_;
    bool held_ = false;
    int sleepers_ = 0;
};
