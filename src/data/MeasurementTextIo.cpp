#include "MeasurementTextIo.h"

#include "MeasurementRecord.h"
#include "NumberText.h"

#include <limits>
#include <vector>

namespace MeasurementTextIo {

namespace {

// The standard conversion allows spaces around a number, but no other blank: an LF left by a
// CR LF line end must make the field unreadable, where QString::trimmed would drop it.
bool HasBlankOtherThanSpace(QStringView field)
{
    for (const QChar c : field)
        if (c != QLatin1Char(' ') && (c.isSpace() || c.category() == QChar::Other_Control))
            return true;
    return false;
}

}  // namespace

QString BuildMeasurementText(const MeasurementRecord& record)
{
    const auto& rows = record.Rows();
    const int last = std::min<int>(record.PointCount(), static_cast<int>(rows.size()) - 1);
    QString text;
    text.reserve(static_cast<qsizetype>(last) * 18 + 3);
    for (int r = 1; r <= last; ++r) {
        text += rows[r][MeasurementRecord::ColPH];
        text += kTab;
        text += rows[r][MeasurementRecord::ColVolume];
        text += kCr;
    }
    text += kCr;
    text += kCr;
    text += kCr;
    return text;
}

NumberRead ReadNextNumber(const QString& text, qsizetype& position, double& value)
{
    if (position < 0)
        return NumberRead::EndOfData;
    const qsizetype size = text.size();
    qsizetype length = 0;
    qsizetype next = -1;
    for (; length <= kMaxFieldLength; ++length) {
        const qsizetype at = position + length;
        if (at >= size) {
            // The end of the text ends the field; nothing is read past it.
            next = size;
            break;
        }
        const QChar c = text[at];
        if (c == kTab || c == kCr) {
            next = at + 1;
            break;
        }
    }
    if (length == 0)
        return NumberRead::EndOfData;
    if (next < 0) {
        // A field that never ends within 13 characters is not a number this program wrote;
        // reading stops here rather than reading the same field again and again.
        value = 0;
        return NumberRead::Unreadable;
    }
    const QStringView field = QStringView(text).mid(position, length);
    position = next;
    double parsed = 0;
    if (HasBlankOtherThanSpace(field) || !NumberText::TryParse(field.toString(), parsed)) {
        value = 0;
        return NumberRead::Unreadable;
    }
    value = parsed;
    return NumberRead::Number;
}

FillResult FillTableFromText(MeasurementRecord& record, const QString& text)
{
    // Numbers first, table afterwards: the table is then replaced in one step.
    std::vector<double> numbers;
    FillResult result;
    qsizetype position = 0;
    constexpr std::size_t kMaxNumbers = 2 * static_cast<std::size_t>(std::numeric_limits<int>::max() - 1);
    while (numbers.size() < kMaxNumbers) {
        double value = 0;
        const NumberRead read = ReadNextNumber(text, position, value);
        if (read != NumberRead::Number) {
            result.unreadable = read == NumberRead::Unreadable;
            break;
        }
        numbers.push_back(value);
    }

    using R = MeasurementRecord;
    QList<R::Row> rows = record.Rows();
    const int oldCount = std::min<int>(record.PointCount(), static_cast<int>(rows.size()) - 1);
    for (int r = 1; r <= oldCount; ++r)
        rows[r] = R::Row{};
    rows[0][R::ColValidation] = QStringLiteral("Calcul");

    // Each pH read adds its row; a pH whose volume is missing keeps its row, uncounted.
    const auto phCount = static_cast<qsizetype>((numbers.size() + 1) / 2);
    if (phCount > 0)
        rows.resize(phCount + 1);
    for (qsizetype i = 0; i < phCount; ++i) {
        const auto at = static_cast<std::size_t>(2 * i);
        R::Row& row = rows[i + 1];
        row = R::Row{};
        row[R::ColPH] = NumberText::Fixed(numbers[at], 4, 3);
        if (at + 1 < numbers.size())
            row[R::ColVolume] = NumberText::Fixed(numbers[at + 1], 6, 6);
    }
    result.pointCount = static_cast<int>(numbers.size() / 2);
    record.ReplaceTable(std::move(rows), result.pointCount);
    return result;
}

QString UnreadableNumberMessage()
{
    return QStringLiteral("Erreur de lecture de nombre réel.");
}

}  // namespace MeasurementTextIo
