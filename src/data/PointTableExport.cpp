#include "data/PointTableExport.h"

#include "data/ConvertError.h"
#include "data/MeasurementRecord.h"
#include "data/NumberText.h"

#include <QStringList>


#include <algorithm>

namespace PointTableExport {

Table FromRecord(const MeasurementRecord& record)
{
    using R = MeasurementRecord;
    Table table;
    const bool timeMode = record.TimeMode();
    table.pHCaption = MeasuredQuantities::Caption(record.Quantity());
    table.xCaption = timeMode ? QStringLiteral("Temps (s)") : QStringLiteral("Volume (mL)");
    const QList<R::Row>& rows = record.Rows();
    const int last = std::min(record.PointCount(), record.RowCount() - 1);
    table.rows.reserve(last);
    for (int r = 1; r <= last; ++r) {
        const R::Row& row = rows[r];
        if (timeMode) {
            table.rows.append({row[R::ColTime], row[R::ColPH]});
            continue;
        }
        const double litres = NumberText::Parse(row[R::ColVolume]);
        table.rows.append({NumberText::Fixed(litres * 1000.0, 15, 3), row[R::ColPH]});
    }
    return table;
}

QByteArray CsvBytes(const Table& table)
{
    QByteArray bytes("\xEF\xBB\xBF");
    auto line = [&bytes](const QString& x, const QString& y) {
        bytes += (x + QLatin1Char(';') + y).toUtf8();
        bytes += "\r\n";
    };
    line(table.xCaption, table.pHCaption);
    for (const auto& [x, y] : table.rows)
        line(x, y);
    return bytes;
}

QByteArray CsvBytes(const Table& table, const QString& results)
{
    QByteArray bytes = CsvBytes(table);
    if (results.isEmpty())
        return bytes;
    bytes += "\r\n";
    // A field holding the separator or a quote is quoted, its quotes doubled.
    const auto field = [](QString text) {
        if (!text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char('"')))
            return text;
        return QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    };
    for (const QString& line : results.split(QLatin1Char('\r'), Qt::SkipEmptyParts)) {
        QStringList cells = line.split(QLatin1Char('\t'));
        for (QString& cell : cells)
            cell = field(cell);
        bytes += cells.join(QLatin1Char(';')).toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

}  // namespace PointTableExport
