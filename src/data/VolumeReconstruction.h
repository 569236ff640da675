#pragma once

#include <cstdint>
#include <vector>

class MeasurementRecord;

// At the end of a run, turns the key presses into a poured volume for every row: one step per
// press, linear in time between presses, from 0 L at time 0. Rows after the row of the last
// press are dropped. Runs once per run: a table whose validation header no longer reads
// "Acquisition" only has its chart rebuilt.
namespace VolumeReconstruction {

// One press: the row of the latest sample completed when it was made, and the seconds from
// that row's nominal time (the middle of its averaging window) to the press.
struct Mark {
    int row = 0;
    double seconds = 0.0;
};

// The marks of a run's presses, in press order. `sampleEndsMs` are the moments the samples'
// measurements ended (ascending), `pressesMs` the presses, on the same clock; a sample's
// nominal time lies `sampleDurationMs` / 2 before its end. A press goes in the row of the latest
// sample ended at or before it; one made before the first sample ended has no row and is left
// out, as nothing was there to mark.
std::vector<Mark> MarksOfPresses(const std::vector<std::int64_t>& sampleEndsMs,
                                 const std::vector<std::int64_t>& pressesMs, int sampleDurationMs);

// Every press counts, several in one row included: the volume rises by one step at each, and
// a row's volume is read on the line between the presses around its nominal time. Marks
// outside rows 1..PointCount are ignored.
void ReconstructVolumes(MeasurementRecord& record, const std::vector<Mark>& marks);

// The marks read from the validation column, one per marked row (a table as a file or an older
// run left it). Throws ConvertError on a validation cell that does not read as a number.
void ReconstructVolumes(MeasurementRecord& record);

}  // namespace VolumeReconstruction
