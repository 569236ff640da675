#pragma once

#include <cstdint>

// The I/O operations the board driver needs, so that one driver algorithm can run on the real
// board or on its emulation. Addresses are x86 I/O-space port numbers.
class PortBus {
public:
    virtual ~PortBus() = default;

    virtual void OutByte(std::uint16_t port, std::uint8_t value) = 0;
    virtual std::uint8_t InByte(std::uint16_t port) = 0;
    // One 16-bit read: the byte at `port` in the low half, the byte at `port` + 1 in the high half.
    virtual std::uint16_t InWord(std::uint16_t port) = 0;

    // Stands for disabling and enabling processor interrupts around the timer setup and the
    // sampling loop. Always called in pairs, never nested.
    virtual void EnterCritical() = 0;
    virtual void LeaveCritical() = 0;

    // The short pause the PC timer needs between two of its register accesses.
    virtual void Settle() = 0;

    // The bus's own monotonic time in nanoseconds; bounds the wait for a timer edge.
    virtual std::int64_t NowNs() = 0;
};
