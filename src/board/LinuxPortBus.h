#pragma once

// The real board's bus exists only where user programs can reach I/O ports: Linux on x86.
#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__))
#define QUORIN_HAS_LINUX_PORT_BUS 1

#include "board/PortBus.h"

#include <QString>

#include <bitset>
#include <memory>

// Direct port input/output through ioperm. A user program cannot disable interrupts: the
// critical section raises the thread to the highest real-time priority instead, where the
// system permits it, and memory is locked at opening so that no page fault stalls the
// sampling. Port permissions belong to the thread that asked for them: open the bus on the
// thread that measures.
class LinuxPortBus final : public PortBus {
public:
    // Asks for the board's 16 registers at the default base and for the timer ports. Returns
    // null and a French explanation in `error` when the system refuses.
    static std::unique_ptr<LinuxPortBus> Open(QString& error);

    void OutByte(std::uint16_t port, std::uint8_t value) override;
    std::uint8_t InByte(std::uint16_t port) override;
    std::uint16_t InWord(std::uint16_t port) override;
    void EnterCritical() override;
    void LeaveCritical() override;
    void Settle() override;
    std::int64_t NowNs() override;

private:
    // Only Open makes one.
    struct OpenKey {
        explicit OpenKey() = default;
    };

public:
    explicit LinuxPortBus(OpenKey) {}

private:
    // Ports beyond those granted at opening (the board moved by its address offset) are asked
    // for, 16 at a time, on first use; a refusal throws.
    void Grant(std::uint16_t port);
    bool Request(std::uint16_t first, std::uint16_t count, int& error);

    std::bitset<0x400> granted_;
    bool priorityRaised_ = false;
    int savedPolicy_ = 0;
    int savedPriority_ = 0;
};

#endif
