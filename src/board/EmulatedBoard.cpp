#include "board/EmulatedBoard.h"

#include "board/BoardProtocol.h"
#include "board/Clock.h"
#include "board/VoltageSource.h"

#include <algorithm>
#include <cmath>

namespace {

using namespace BoardProtocol;

constexpr std::int64_t kTicksPerSecond = kTimerClockTicksPerSecond;
constexpr std::uint8_t kFloatingBus = 0xFF;

// What the converter makes of an input voltage: the nearest code, clipped to the 12-bit range.
int CodeFromVoltage(double volts)
{
    if (std::isnan(volts))
        return 0;
    const double code = std::round(volts / kVoltsPerCode + kMidScale);
    return static_cast<int>(std::clamp(code, 0.0, static_cast<double>(kMaxCode)));
}

}  // namespace

EmulatedBoard::EmulatedBoard(VoltageSource& source, Clock& clock, std::uint16_t baseAddress)
    : source_(source), clock_(clock), base_(baseAddress)
{
    ticks_ = clock_.NowMs() * kTicksPerSecond / 1000;
}

void EmulatedBoard::BeginAccess()
{
    polling_ = false;
    if (!inCritical_)
        ticks_ = std::max(ticks_, clock_.NowMs() * kTicksPerSecond / 1000);
    ticks_ += kAccessTicks;
}

void EmulatedBoard::Record(PortAccess::Kind kind, std::uint16_t port, std::uint16_t value)
{
    if (logging_)
        log_.push_back({kind, port, value, ticks_});
}

void EmulatedBoard::OutByte(std::uint16_t port, std::uint8_t value)
{
    BeginAccess();
    Record(PortAccess::Kind::Out, port, value);
    if (IsBoardPort(port)) {
        switch (port - base_) {
        case kConverter1Register:
            StartConversion(0);
            break;
        case kConverter2Register:
            StartConversion(1);
            break;
        case kControlRegister:
            // Bit 7 clear is a bit set/reset of port C, which leaves the mode word alone.
            if (value & 0x80)
                controlWord_ = value;
            break;
        default:
            break;
        }
    } else if (port == kTimerCommandPort) {
        WriteTimerCommand(value);
    } else if (port == kTimer2CountPort) {
        WriteTimerCount(value);
    } else if (port == kSystemControlPort) {
        WriteSystemControl(value);
    }
}

std::uint8_t EmulatedBoard::InByte(std::uint16_t port)
{
    const bool repeatedPoll = polling_;
    BeginAccess();
    const std::uint8_t value = ReadByte(port);
    Record(PortAccess::Kind::In, port, value);
    if (port == kSystemControlPort) {
        if (repeatedPoll && value == lastPoll_)
            SkipToTimerChange();
        polling_ = true;
        lastPoll_ = value;
    }
    return value;
}

std::uint16_t EmulatedBoard::InWord(std::uint16_t port)
{
    BeginAccess();
    const auto value =
        static_cast<std::uint16_t>(ReadByte(port) | (ReadByte(static_cast<std::uint16_t>(port + 1)) << 8));
    Record(PortAccess::Kind::InWord, port, value);
    return value;
}

void EmulatedBoard::EnterCritical()
{
    polling_ = false;
    ticks_ = std::max(ticks_, clock_.NowMs() * kTicksPerSecond / 1000);
    inCritical_ = true;
    Record(PortAccess::Kind::EnterCritical, 0, 0);
}

void EmulatedBoard::LeaveCritical()
{
    polling_ = false;
    Record(PortAccess::Kind::LeaveCritical, 0, 0);
    inCritical_ = false;
}

void EmulatedBoard::Settle()
{
    polling_ = false;
    if (!inCritical_)
        ticks_ = std::max(ticks_, clock_.NowMs() * kTicksPerSecond / 1000);
    ticks_ += kSettleTicks;
}

std::int64_t EmulatedBoard::NowNs()
{
    // Split so that the product cannot overflow.
    return ticks_ / kTicksPerSecond * 1'000'000'000 + ticks_ % kTicksPerSecond * 1'000'000'000 / kTicksPerSecond;
}

int EmulatedBoard::ConverterCode(int channel) const
{
    Converter& converter = converters_.at(static_cast<std::size_t>(channel - 1));
    Complete(converter);
    return converter.code;
}

int EmulatedBoard::ConversionsStarted(int channel) const
{
    return converters_.at(static_cast<std::size_t>(channel - 1)).started;
}

std::uint8_t EmulatedBoard::ReadByte(std::uint16_t port)
{
    if (IsBoardPort(port)) {
        const int offset = port - base_;
        switch (offset) {
        case kConverter1Register:
        case kConverter2Register:
            return static_cast<std::uint8_t>(ConverterCode(offset / 2 + 1) >> 4);
        case kConverter1Register + 1:
        case kConverter2Register + 1:
            return static_cast<std::uint8_t>(((ConverterCode(offset / 2 + 1) & 0x0F) << 4) | kUnusedLowNibble);
        default:
            // Nothing is wired to the parallel ports, the control register is write-only and the
            // other registers are not decoded.
            return kFloatingBus;
        }
    }
    if (port == kSystemControlPort)
        return static_cast<std::uint8_t>((systemControl_ & 0x0F) | (TimerOutput() ? kTimer2OutputBit : 0));
    // Reading the count back is not emulated: nothing in the program does it.
    return kFloatingBus;
}

void EmulatedBoard::StartConversion(int index)
{
    Converter& converter = converters_[static_cast<std::size_t>(index)];
    Complete(converter);
    const double timeMs = static_cast<double>(ticks_) * 1000.0 / static_cast<double>(kTicksPerSecond);
    converter.pendingCode = CodeFromVoltage(source_.Voltage(index + 1, timeMs));
    converter.readyAt = ticks_ + kConversionTicks;
    converter.pending = true;
    ++converter.started;
}

void EmulatedBoard::Complete(Converter& converter) const
{
    if (converter.pending && ticks_ >= converter.readyAt) {
        converter.code = converter.pendingCode;
        converter.pending = false;
    }
}

void EmulatedBoard::WriteTimerCommand(std::uint8_t value)
{
    // Only channel 2 is wired to the emulation; access mode 0 latches the count (not emulated).
    const int channel = value >> 6;
    const int access = (value >> 4) & 0x03;
    if (channel != 2 || access == 0)
        return;
    accessMode_ = access;
    timerMode_ = (value >> 1) & 0x07;
    expectLowByte_ = true;
    // A new command stops the channel until its count is written; the output goes high.
    reload_ = 0;
}

void EmulatedBoard::WriteTimerCount(std::uint8_t value)
{
    int count = 0;
    if (accessMode_ == 3) {
        if (expectLowByte_) {
            pendingLowByte_ = value;
            expectLowByte_ = false;
            return;
        }
        count = pendingLowByte_ | (value << 8);
        expectLowByte_ = true;
    } else if (accessMode_ == 1) {
        count = value;
    } else {
        count = value << 8;
    }
    reload_ = count == 0 ? 65536 : count;
    countStart_ = ticks_;
}

void EmulatedBoard::WriteSystemControl(std::uint8_t value)
{
    const bool gateRises = !(systemControl_ & kTimer2GateBit) && (value & kTimer2GateBit);
    systemControl_ = value;
    // In mode 3 a rising gate reloads the count and starts a new period.
    if (gateRises)
        countStart_ = ticks_;
}

bool EmulatedBoard::TimerRunning() const
{
    const bool squareWave = timerMode_ == 3 || timerMode_ == 7;
    return timerPresent_ && reload_ != 0 && squareWave && (systemControl_ & kTimer2GateBit);
}

void EmulatedBoard::SkipToTimerChange()
{
    // A stopped output never changes: the poller's own time limit has to end the wait.
    if (!TimerRunning())
        return;
    const std::int64_t phase = (ticks_ - countStart_) % reload_;
    const std::int64_t highTicks = (reload_ + 1) / 2;
    const std::int64_t nextChange = ticks_ + (phase < highTicks ? highTicks - phase : reload_ - phase);
    ticks_ = nextChange - kAccessTicks;
}

bool EmulatedBoard::TimerOutput() const
{
    if (!timerPresent_)
        return false;
    // Without a count, outside mode 3 or with the gate low, the output stays high.
    if (!TimerRunning())
        return true;
    // High for the first half of each period (the longer half when the count is odd).
    const std::int64_t phase = (ticks_ - countStart_) % reload_;
    return phase < (reload_ + 1) / 2;
}
