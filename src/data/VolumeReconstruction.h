#pragma once

class MeasurementRecord;

// At the end of a run, turns the key-press marks of the validation column into a poured
// volume for every row: one step per press, linear in time between presses, from 0 L at
// time 0. Rows after the last press are dropped. Runs once per run: a table whose validation
// header no longer reads "Acquisition" only has its chart rebuilt.
namespace VolumeReconstruction {

inline constexpr double kVolumeStepL = 0.001;
inline constexpr double kSamplePeriodS = 1.5;

// Throws ConvertError on a validation cell that does not read as a number.
void ReconstructVolumes(MeasurementRecord& record);

}  // namespace VolumeReconstruction
