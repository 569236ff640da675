#pragma once

#include "board/BoardProtocol.h"
#include "board/VoltageSource.h"

#include <array>
#include <functional>

// A voltage source that answers each conversion from a script: (channel, index of that
// channel's conversion from 0, time in ms) -> volts. The default script gives 0 V.
class ScriptedVoltageSource final : public VoltageSource {
public:
    using Script = std::function<double(int channel, int conversion, double timeMs)>;

    void SetScript(Script script) { script_ = std::move(script); }
    // A script that makes the converters present fixed codes.
    void SetCodes(int code1, int code2)
    {
        script_ = [code1, code2](int channel, int, double) { return VoltsForCode(channel == 1 ? code1 : code2); };
    }

    double Voltage(int channel, double timeMs) override
    {
        lastTimeMs_ = timeMs;
        const int conversion = conversions_[static_cast<std::size_t>(channel - 1)]++;
        return script_ ? script_(channel, conversion, timeMs) : 0.0;
    }

    int Conversions(int channel) const { return conversions_[static_cast<std::size_t>(channel - 1)]; }
    double LastTimeMs() const { return lastTimeMs_; }

    // The input voltage a converter turns into `code`.
    static double VoltsForCode(int code) { return BoardProtocol::CodeToVolts(code); }

private:
    Script script_;
    std::array<int, 2> conversions_{};
    double lastTimeMs_ = 0.0;
};
