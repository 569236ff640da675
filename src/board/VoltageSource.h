#pragma once

#include <cstdint>

// What the emulated board's two converters measure.
class VoltageSource {
public:
    virtual ~VoltageSource() = default;
    // Input voltage of `channel` (1 or 2), in volts, at the start of a conversion; `timeMs` is
    // the board's virtual time, on the same scale as Clock::NowMs().
    virtual double Voltage(int channel, double timeMs) = 0;
};
