// Any bytes as a chemistry file: read the header and body, then fill a point table from the body.
#include "data/ChemistryDocument.h"
#include "data/FileError.h"
#include "data/MeasurementRecord.h"
#include "data/MeasurementTextIo.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    ChemistryDocument document;
    MeasurementRecord record;
    try {
        const ChemistryFile::Contents contents = document.ReadChemistryFile(buffer, QStringLiteral("fuzz.che"));
        if (contents.headerLines.size() != ChemistryFile::kHeaderLineCount)
            std::abort();
        const MeasurementTextIo::FillResult filled = MeasurementTextIo::FillTableFromText(record, contents.body);
        if (filled.pointCount != record.PointCount() || record.RowCount() < record.PointCount() + 1)
            std::abort();
        // The held copy and the restore read the table's own texts again. (Absurd values can
        // give texts longer than a field, so fewer points may come back, never more.)
        document.TakeMeasurementText(record);
        MeasurementRecord again;
        if (MeasurementTextIo::FillTableFromText(again, document.MeasurementText()).pointCount > record.PointCount())
            std::abort();
    } catch (const FileError&) {
        // Only an oversized input is refused; it is an answer, not a fault.
    }
    return 0;
}
