#include "data/VolumeReconstruction.h"

#include "data/MeasurementRecord.h"
#include "data/NumberText.h"
#include "data/RunTiming.h"

#include <algorithm>

namespace VolumeReconstruction {

std::vector<Mark> MarksOfPresses(const std::vector<std::int64_t>& sampleEndsMs,
                                 const std::vector<std::int64_t>& pressesMs, int sampleDurationMs)
{
    std::vector<Mark> marks;
    marks.reserve(pressesMs.size());
    for (const std::int64_t press : pressesMs) {
        const auto after = std::upper_bound(sampleEndsMs.begin(), sampleEndsMs.end(), press);
        const int row = static_cast<int>(after - sampleEndsMs.begin());
        if (row == 0)
            continue;
        const std::int64_t elapsed = press - sampleEndsMs[static_cast<std::size_t>(row - 1)];
        marks.push_back({row, static_cast<double>(elapsed + sampleDurationMs / 2) / 1000.0});
    }
    return marks;
}

void ReconstructVolumes(MeasurementRecord& record, const std::vector<Mark>& marks)
{
    using R = MeasurementRecord;
    const int count = record.PointCount();
    if (count == 0)
        return;
    if (record.Cell(R::ColValidation, 0) != QLatin1String("Acquisition")) {
        record.RebuildChart();
        return;
    }
    record.SetCell(R::ColValidation, 0, QStringLiteral("Calcul"));

    auto nominalTime = [](int row) { return (row - 1) * RunTiming::kSamplePeriodS; };
    double prevT = 0.0;
    double prevV = 0.0;
    int start = 1;
    int last = 0;
    for (const Mark& mark : marks) {
        if (mark.row < 1 || mark.row > count)
            continue;
        const double t = nominalTime(mark.row) + mark.seconds;
        double dT = t - prevT;
        if (!(dT > 0))
            dT = 1.0;
        // The rows up to the press's own and, beyond it, those whose nominal time still comes
        // before the press (one made while the next sample was under way, after its middle) are
        // on this segment. A row already given its volume is not given another: a second press
        // in it only raises the level that the following rows start from.
        int end = std::min(mark.row, count);
        while (end < count && nominalTime(end + 1) < t)
            ++end;
        for (int q = start; q <= end; ++q)
            record.SetCell(R::ColVolume, q, NumberText::Fixed(prevV + RunTiming::kVolumeStepL / dT * (nominalTime(q) - prevT), 6, 6));
        prevV += RunTiming::kVolumeStepL / dT * (t - prevT);
        prevT = t;
        start = std::max(start, end + 1);
        last = std::max(last, mark.row);
    }

    for (int row = last + 1; row <= count; ++row)
        for (int c = 0; c < R::kColumnCount; ++c)
            record.SetCell(c, row, QString());
    record.SetRowCount(last + 1);
    record.SetPointCount(last);
    if (last == 0)
        record.ClearChart();
    else
        record.RebuildChart();
}

void ReconstructVolumes(MeasurementRecord& record)
{
    using R = MeasurementRecord;
    std::vector<Mark> marks;
    if (record.Cell(R::ColValidation, 0) == QLatin1String("Acquisition"))
        for (int row = 1; row <= record.PointCount(); ++row) {
            const QString cell = record.Cell(R::ColValidation, row);
            if (!cell.isEmpty())
                marks.push_back({row, NumberText::Parse(cell)});
        }
    ReconstructVolumes(record, marks);
}

}  // namespace VolumeReconstruction
