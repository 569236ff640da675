#pragma once

#include "board/PortBus.h"

#include <cstdint>

// The board's and the PC timer's port-level protocol, written once against PortBus so that
// the real board and its emulation run the very same sequence.
namespace BoardProtocol {

// Board registers: base 0x280 plus the offset set by the board's jumpers.
inline constexpr std::uint16_t kBaseAddress = 0x280;
inline constexpr std::uint16_t kConverter1Register = 0x00;
inline constexpr std::uint16_t kConverter2Register = 0x02;
inline constexpr std::uint16_t kPortARegister = 0x0C;
inline constexpr std::uint16_t kPortBRegister = 0x0D;
inline constexpr std::uint16_t kPortCRegister = 0x0E;
inline constexpr std::uint16_t kControlRegister = 0x0F;
inline constexpr std::uint16_t kRegisterCount = 16;
// Any write to a converter register starts a conversion.
inline constexpr std::uint8_t kStartConversion = 0xFF;

// PC AT timer channel 2 and the system control port.
inline constexpr std::uint16_t kTimer2CountPort = 0x42;
inline constexpr std::uint16_t kTimerCommandPort = 0x43;
inline constexpr std::uint16_t kSystemControlPort = 0x61;
// Channel 2, low byte then high byte, mode 3 (square wave), binary count.
inline constexpr std::uint8_t kTimer2SquareWave = 0xB6;
inline constexpr std::uint8_t kTimer2GateBit = 0x01;
inline constexpr std::uint8_t kSpeakerBit = 0x02;
inline constexpr std::uint8_t kTimer2OutputBit = 0x20;
// The timer's input clock as the program reckons it (the crystal gives 1 193 182 Hz); the
// emulated timer runs at this value so that 15 700 Hz is exact.
inline constexpr double kTimerClockHz = 1193200.0;
inline constexpr std::int64_t kTimerClockTicksPerSecond = 1193200;

// 12-bit converters: codes 0..4095 over -5.12125 V .. +5.12125 V, mid-scale 2047.5.
inline constexpr int kMaxCode = 4095;
inline constexpr double kMidScale = 2047.5;
inline constexpr double kVoltsPerCode = 10.24 / 4094.0;

// The six register addresses for one address offset.
struct AddressTable {
    std::uint16_t control;
    std::uint16_t portA;
    std::uint16_t portB;
    std::uint16_t portC;
    std::uint16_t converter1;
    std::uint16_t converter2;

    static AddressTable ForOffset(std::uint16_t offset);
    std::uint16_t Base() const { return static_cast<std::uint16_t>(converter1 - kConverter1Register); }
};

// A converter word (bits 11..4 of the code in the low byte, bits 3..0 in the top nibble of
// the high byte, the rest ignored) to its code 0..4095.
constexpr int DecodeConverterWord(std::uint16_t word)
{
    return ((word & 0x00FF) << 4) | (word >> 12);
}

// A mean code to volts.
constexpr double CodeToVolts(double meanCode)
{
    return (meanCode - kMidScale) * kVoltsPerCode;
}

// Code sums of one measurement; `samples` is below the number asked for only when the timer
// output stopped changing.
struct SampleSums {
    std::int64_t channel1 = 0;
    std::int64_t channel2 = 0;
    std::uint32_t samples = 0;
};

// Writes `control` to the parallel interface's control register.
void WriteControl(PortBus& bus, const AddressTable& table, std::uint8_t control);

// Inside one critical section: programs timer channel 2 for a square wave of `divisor` input
// periods, then takes `count` samples of both converters, one per rising edge of the timer
// output, after one priming pass whose reading is dropped. A wait for an edge that lasts more
// than `edgeLimitNs` ends the sampling early.
SampleSums Measure(PortBus& bus, const AddressTable& table, std::uint16_t divisor, std::uint32_t count,
                   std::int64_t edgeLimitNs);

}  // namespace BoardProtocol
