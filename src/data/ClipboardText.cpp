#include "data/ClipboardText.h"

#include "data/MeasurementRecord.h"
#include "data/NumberText.h"

#include <algorithm>

namespace ClipboardText {

namespace {

constexpr QChar kTab = QLatin1Char('\t');
constexpr QChar kCr = QLatin1Char('\r');
constexpr QChar kPoint = QLatin1Char('.');

template <typename LineWriter>
QString Build(const MeasurementRecord& record, LineWriter writeLine)
{
    const auto& rows = record.Rows();
    const int last = std::min<int>(record.PointCount(), static_cast<int>(rows.size()) - 1);
    QString text = Header(record.Quantity());
    text.reserve(text.size() + static_cast<qsizetype>(std::max(last, 0)) * 18);
    for (int r = 1; r <= last; ++r) {
        writeLine(text, rows[r]);
        text += kCr;
    }
    return text;
}

}  // namespace

QString Header(MeasuredQuantity quantity)
{
    return QStringLiteral("Volume versé en L\t%1\r").arg(MeasuredQuantities::Caption(quantity));
}

QString BuildClipboardTextComma(const MeasurementRecord& record)
{
    return Build(record, [](QString& text, const MeasurementRecord::Row& row) {
        text += row[MeasurementRecord::ColVolume];
        text += kTab;
        text += row[MeasurementRecord::ColPH];
    });
}

QString BuildClipboardTextPoint(const MeasurementRecord& record)
{
    const MeasuredQuantities::CellFormat format = MeasuredQuantities::FileCellFormat(record.Quantity());
    return Build(record, [format](QString& text, const MeasurementRecord::Row& row) {
        const double volume = NumberText::Parse(row[MeasurementRecord::ColVolume]);
        const double pH = NumberText::Parse(row[MeasurementRecord::ColPH]);
        text += NumberText::Fixed(volume, 6, 6, kPoint);
        text += kTab;
        text += NumberText::Fixed(pH, format.precision, format.decimals, kPoint);
    });
}

}  // namespace ClipboardText
