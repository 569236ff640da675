#pragma once

#include "Clock.h"

// Time that moves only when told to; WaitUntil jumps straight to the deadline.
class FakeClock final : public Clock {
public:
    explicit FakeClock(std::int64_t startMs = 1'000'000) : now_(startMs) {}
    std::int64_t NowMs() const override { return now_; }
    void WaitUntil(std::int64_t deadlineMs) override
    {
        if (deadlineMs > now_)
            now_ = deadlineMs;
    }
    void Advance(std::int64_t ms) { now_ += ms; }

private:
    std::int64_t now_;
};
