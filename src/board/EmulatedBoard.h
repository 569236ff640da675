#pragma once

#include "board/PortAccess.h"
#include "board/PortBus.h"

#include <array>
#include <cstdint>
#include <vector>

class Clock;
class VoltageSource;

// The board and the PC timer in software, in virtual time: the 8255's control register, two
// 12-bit converters fed by a VoltageSource, timer channel 2 with its gate and output on port
// 0x61. Virtual time counts timer input periods (1 193 200 per second); every port access
// costs kAccessTicks and every settling pause kSettleTicks, and outside the critical section
// it catches up with the clock, so that the converters sample the source at the clock's time.
// Ports it does not decode read as all ones, like an empty bus.
//
// A read of port 0x61 that repeats the previous access's result is taken for a polling loop:
// virtual time then jumps to the tick before the timer output next changes, where a poll every
// tick would first see the change. The polls in between are neither emulated nor logged.
class EmulatedBoard final : public PortBus {
public:
    // About one ISA bus cycle, and the pause the timer needs between two accesses.
    static constexpr std::int64_t kAccessTicks = 1;
    static constexpr std::int64_t kSettleTicks = 12;
    // A conversion takes about 25 us, well inside one period at 15 700 Hz (76 ticks); read
    // sooner, a converter still presents its previous result.
    static constexpr std::int64_t kConversionTicks = 30;
    // Bits 3..0 of a converter's high byte carry no data on the board; they are not zero.
    static constexpr std::uint8_t kUnusedLowNibble = 0x0A;

    // The board answers at `baseAddress` (its jumpers); both references must outlive it.
    EmulatedBoard(VoltageSource& source, Clock& clock, std::uint16_t baseAddress = 0x280);

    void OutByte(std::uint16_t port, std::uint8_t value) override;
    std::uint8_t InByte(std::uint16_t port) override;
    std::uint16_t InWord(std::uint16_t port) override;
    void EnterCritical() override;
    void LeaveCritical() override;
    void Settle() override;
    std::int64_t NowNs() override;

    // The access log records every access while it is on. It is off at first: a measurement of
    // one second makes about 1.3 million entries, most of them timer polls.
    void StartLog() { logging_ = true; }
    void StopLog() { logging_ = false; }
    void ClearLog() { log_.clear(); }
    const std::vector<PortAccess>& Log() const { return log_; }

    std::int64_t NowTicks() const { return ticks_; }
    std::uint16_t BaseAddress() const { return base_; }
    // The last mode word written to the parallel interface's control register.
    std::uint8_t ControlWord() const { return controlWord_; }
    // A PC whose timer channel 2 output never changes (the edge wait must give up).
    void SetTimerPresent(bool present) { timerPresent_ = present; }
    // The code a converter (1 or 2) presents now, without a bus access.
    int ConverterCode(int channel) const;
    int ConversionsStarted(int channel) const;

private:
    struct Converter {
        int code = 0;
        int pendingCode = 0;
        std::int64_t readyAt = 0;
        bool pending = false;
        int started = 0;
    };

    void BeginAccess();
    void Record(PortAccess::Kind kind, std::uint16_t port, std::uint16_t value);
    std::uint8_t ReadByte(std::uint16_t port);
    void StartConversion(int index);
    void Complete(Converter& converter) const;
    void WriteTimerCommand(std::uint8_t value);
    void WriteTimerCount(std::uint8_t value);
    void WriteSystemControl(std::uint8_t value);
    bool TimerOutput() const;
    bool TimerRunning() const;
    void SkipToTimerChange();
    bool IsBoardPort(std::uint16_t port) const { return port >= base_ && port < base_ + 16; }

    VoltageSource& source_;
    Clock& clock_;
    std::uint16_t base_;
    std::int64_t ticks_ = 0;
    bool inCritical_ = false;
    bool logging_ = false;
    // The previous access was a read of port 0x61 that gave `lastPoll_`.
    bool polling_ = false;
    std::uint8_t lastPoll_ = 0;
    std::vector<PortAccess> log_;

    mutable std::array<Converter, 2> converters_{};

    // 8255: power-up leaves every port an input.
    std::uint8_t controlWord_ = 0x9B;

    // Timer channel 2 and port 0x61.
    bool timerPresent_ = true;
    std::uint8_t systemControl_ = 0;
    int accessMode_ = 3;
    int timerMode_ = 0;
    bool expectLowByte_ = true;
    int pendingLowByte_ = 0;
    std::int64_t reload_ = 0;
    bool counting_ = false;
    std::int64_t countStart_ = 0;
};
