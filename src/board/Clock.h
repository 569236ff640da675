#pragma once

#include <cstdint>

// The program's one source of time: monotonic, 64-bit milliseconds. Logic that waits or
// time-stamps takes a Clock so that tests can drive time with a fake.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t NowMs() const = 0;
    // Returns once NowMs() has reached `deadlineMs` (a fake clock jumps there at once).
    virtual void WaitUntil(std::int64_t deadlineMs) = 0;
};

// The system's steady clock.
class MonotonicClock final : public Clock {
public:
    std::int64_t NowMs() const override;
    void WaitUntil(std::int64_t deadlineMs) override;
    // One instance for the whole program.
    static MonotonicClock& Instance();
};
