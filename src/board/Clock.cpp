#include "board/Clock.h"

#include <chrono>
#include <thread>

std::int64_t MonotonicClock::NowMs() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void MonotonicClock::WaitUntil(std::int64_t deadlineMs)
{
    // The board measurement blocks its caller by design, as the real converters do.
    const auto deadline = std::chrono::steady_clock::time_point(std::chrono::milliseconds(deadlineMs));
    std::this_thread::sleep_until(deadline);
}

MonotonicClock& MonotonicClock::Instance()
{
    static MonotonicClock clock;
    return clock;
}
