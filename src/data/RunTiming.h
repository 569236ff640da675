#pragma once

#include <cstdint>

// The schedule of a titration run, in one place for the run that takes the samples, the record
// that dates its rows, the volume reconstruction, the chart, the run's recovery and the
// calibration's live readings.
namespace RunTiming {

// Sample n of a run starts at t0 + (n - 1) x 1.5 s, and its row's time is (n - 1) x 1.5 s.
inline constexpr int kSamplePeriodMs = 1500;
inline constexpr double kSamplePeriodS = kSamplePeriodMs / 1000.0;
// A sample is the board's mean over this window, the middle of which is the row's time:
// 15 700 conversions at 15 700 Hz.
inline constexpr int kSampleDurationMs = 1000;
inline constexpr std::uint32_t kConversions = 15700;
inline constexpr double kConversionRateHz = 15700.0;
static_assert(kConversions / kConversionRateHz * 1000.0 == kSampleDurationMs);
// One Space press: one more millilitre poured.
inline constexpr double kVolumeStepL = 0.001;
// The pause before a run's first sample, and between two live readings of a calibration.
inline constexpr int kTimerIntervalMs = 500;

}  // namespace RunTiming
