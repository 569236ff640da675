#include "board/BoardProtocol.h"

namespace BoardProtocol {

namespace {

// Leaves the critical section however the sampling ends (a refused port throws on the real bus).
class CriticalSection {
public:
    explicit CriticalSection(PortBus& bus) : bus_(bus) { bus_.EnterCritical(); }
    ~CriticalSection() { bus_.LeaveCritical(); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

private:
    PortBus& bus_;
};

void ProgramTimer2(PortBus& bus, std::uint16_t divisor)
{
    const auto gateAndSpeakerOff =
        static_cast<std::uint8_t>(bus.InByte(kSystemControlPort) & ~(kTimer2GateBit | kSpeakerBit));
    bus.Settle();
    bus.OutByte(kSystemControlPort, gateAndSpeakerOff);
    bus.Settle();
    bus.OutByte(kTimerCommandPort, kTimer2SquareWave);
    bus.Settle();
    bus.OutByte(kTimer2CountPort, static_cast<std::uint8_t>(divisor & 0xFF));
    bus.Settle();
    bus.OutByte(kTimer2CountPort, static_cast<std::uint8_t>(divisor >> 8));
    bus.Settle();
    const auto gateOn = static_cast<std::uint8_t>(bus.InByte(kSystemControlPort) | kTimer2GateBit);
    bus.Settle();
    bus.OutByte(kSystemControlPort, gateOn);
}

// Polls the timer output until it has been read low at least once and then high.
bool WaitRisingEdge(PortBus& bus, std::int64_t limitNs)
{
    const std::int64_t deadline = bus.NowNs() + limitNs;
    bool seenLow = false;
    for (;;) {
        if ((bus.InByte(kSystemControlPort) & kTimer2OutputBit) == 0)
            seenLow = true;
        else if (seenLow)
            return true;
        if (bus.NowNs() > deadline)
            return false;
    }
}

}  // namespace

AddressTable AddressTable::ForOffset(std::uint16_t offset)
{
    const auto at = [offset](std::uint16_t reg) { return static_cast<std::uint16_t>(kBaseAddress + offset + reg); };
    return {at(kControlRegister), at(kPortARegister),       at(kPortBRegister),
            at(kPortCRegister),   at(kConverter1Register), at(kConverter2Register)};
}

void WriteControl(PortBus& bus, const AddressTable& table, std::uint8_t control)
{
    bus.OutByte(table.control, control);
}

SampleSums Measure(PortBus& bus, const AddressTable& table, std::uint16_t divisor, std::uint32_t count,
                   std::int64_t edgeLimitNs)
{
    SampleSums sums;
    const CriticalSection critical(bus);
    ProgramTimer2(bus, divisor);
    // The first pass only starts the conversions: what the converters hold then is stale.
    for (std::uint64_t pass = 0; pass <= count; ++pass) {
        if (!WaitRisingEdge(bus, edgeLimitNs))
            break;
        const int code1 = DecodeConverterWord(bus.InWord(table.converter1));
        if (pass > 0) {
            sums.channel1 += code1;
            sums.channel2 += DecodeConverterWord(bus.InWord(table.converter2));
            ++sums.samples;
        }
        // Started right after the reading, each conversion has one full period to complete.
        bus.OutByte(table.converter1, kStartConversion);
        bus.OutByte(table.converter2, kStartConversion);
    }
    return sums;
}

}  // namespace BoardProtocol
