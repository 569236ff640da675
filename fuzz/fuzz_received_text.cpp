// Any bytes as a text a peer sends to the teacher's station: it is analysed and listed, and a
// readable one saved as a chemistry file reads back with the very same points.
#include "data/ChemistryFile.h"
#include "data/ClassTable.h"
#include "data/ReceivedMeasurements.h"
#include "data/ReferenceCurve.h"
#include "net/MsgWire.h"
#include "text/Windows1252.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // As the server hands texts over: Windows-1252, at most one field long.
    const QByteArray bytes(reinterpret_cast<const char*>(data),
                           static_cast<qsizetype>(std::min<std::size_t>(size, MsgWire::kMaxFieldBytes)));
    const ReceivedMeasurements::Entry entry = ReceivedMeasurements::Analyse(
        QStringLiteral("127.0.0.1"), Windows1252::Decode(bytes), 1, QDateTime(QDate(2024, 5, 6), QTime(9, 5, 3)));
    if (ClassTable::Cells(entry).size() != ClassTable::Headers().size())
        std::abort();
    if (entry.readable != !entry.points.isEmpty())
        std::abort();
    if (!std::is_sorted(entry.points.begin(), entry.points.end(),
                        [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); }))
        std::abort();
    if (entry.readable) {
        const ChemistryFile::Contents file =
            ChemistryFile::Parse(ChemistryFile::FileBytes(ClassTable::FileText(entry)));
        QList<QPointF> back = ReferenceCurve::ReadPoints(file.body).points;
        std::stable_sort(back.begin(), back.end(), [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
        if (back.size() != entry.points.size())
            std::abort();
        for (qsizetype i = 0; i < back.size(); ++i)
            if (back[i].x() != entry.points[i].x() || back[i].y() != entry.points[i].y())
                std::abort();
    }
    return 0;
}
