#include "VolumeReconstruction.h"

#include "MeasurementRecord.h"
#include "NumberText.h"

namespace VolumeReconstruction {

void ReconstructVolumes(MeasurementRecord& record)
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

    auto nominalTime = [](int row) { return (row - 1) * kSamplePeriodS; };
    double prevT = 0.0;
    double prevV = 0.0;
    int start = 1;
    int last = 0;
    while (start <= count) {
        int r = start;
        while (r <= count && record.Cell(R::ColValidation, r).isEmpty())
            ++r;
        if (r > count)
            break;
        const double t = nominalTime(r) + NumberText::Parse(record.Cell(R::ColValidation, r));
        double dT = t - prevT;
        if (!(dT > 0))
            dT = 1.0;
        for (int q = start; q <= r; ++q)
            record.SetCell(R::ColVolume, q, NumberText::Fixed(prevV + kVolumeStepL / dT * (nominalTime(q) - prevT), 6, 6));
        prevV += kVolumeStepL / dT * (t - prevT);
        prevT = t;
        start = r + 1;
        last = r;
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

}  // namespace VolumeReconstruction
