#pragma once

#include <cstdint>

// One entry of the emulated board's access log.
struct PortAccess {
    enum class Kind : std::uint8_t { Out, In, InWord, EnterCritical, LeaveCritical };

    Kind kind;
    std::uint16_t port;   // 0 for the critical-section entries
    std::uint16_t value;  // byte written or read, word read; 0 for the critical-section entries
    std::int64_t tick;    // virtual time of the access, in timer input periods

    friend bool operator==(const PortAccess&, const PortAccess&) = default;
};
