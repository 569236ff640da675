#include "data/MeasurementTextIo.h"

#include "data/DataLog.h"
#include "data/MeasurementRecord.h"
#include "data/NumberText.h"

#include <limits>
#include <vector>

namespace MeasurementTextIo {

namespace {

// The standard conversion allows spaces around a number, but no other blank: an LF left by a
// CR LF line end must make the field unreadable, where QString::trimmed would drop it.
bool HasBlankOtherThanSpace(QStringView field)
{
    for (const QChar c : field) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            // ASCII: the control characters, TAB, LF, VT, FF and CR among them.
            if (u < 0x20 || u == 0x7f)
                return true;
        } else if (c.isSpace() || c.category() == QChar::Other_Control) {
            return true;
        }
    }
    return false;
}

// Where the field at `position` ends: its length before the TAB or CR, and where the next
// field starts (the end of the text also ends a field). A field that never ends within
// kMaxFieldLength + 1 characters is unreadable.
struct Span {
    NumberRead kind = NumberRead::EndOfData;
    qsizetype length = 0;
    qsizetype next = 0;
};

Span Scan(const QString& text, qsizetype position)
{
    if (position < 0)
        return {};
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
        return {};
    if (next < 0)
        return {NumberRead::Unreadable, 0, position};
    return {NumberRead::Number, length, next};
}

bool Convert(QStringView field, double& value)
{
    return !HasBlankOtherThanSpace(field) && NumberText::TryParse(field, value);
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
    const Span span = Scan(text, position);
    if (span.kind == NumberRead::Unreadable) {
        // Not a number this program wrote; reading stops here rather than reading the same
        // field again and again.
        value = 0;
        return NumberRead::Unreadable;
    }
    if (span.kind == NumberRead::EndOfData)
        return NumberRead::EndOfData;
    const QStringView field = QStringView(text).mid(position, span.length);
    position = span.next;
    double parsed = 0;
    if (!Convert(field, parsed)) {
        value = 0;
        return NumberRead::Unreadable;
    }
    value = parsed;
    return NumberRead::Number;
}

std::optional<TableRows> ReadRows(const QString& text, const Progress& progress,
                                  MeasuredQuantities::CellFormat valueFormat)
{
    // Fields first, rows afterwards; the caller replaces the table in one step.
    struct Field {
        qsizetype at;
        qsizetype length;
        double value;
        bool kept;  // the text is kept; `value` is not read
    };
    // How often a long reading reports how far it is (and may be stopped).
    constexpr std::size_t kProgressEvery = 1 << 16;
    std::vector<Field> fields;
    // About 9 characters per field in the files this program writes.
    fields.reserve(static_cast<std::size_t>(text.size() / 9 + 2));
    TableRows table;
    qsizetype position = 0;
    constexpr std::size_t kMaxNumbers = 2 * static_cast<std::size_t>(std::numeric_limits<int>::max() - 1);
    while (fields.size() < kMaxNumbers) {
        const Span span = Scan(text, position);
        if (span.kind != NumberRead::Number) {
            table.result.unreadable = span.kind == NumberRead::Unreadable;
            break;
        }
        // pH fields and volume fields alternate. A text written by this program already has
        // the fixed form: it is kept as it is, neither converted nor formatted again, which is
        // most of the time a large file would take.
        const bool pH = fields.size() % 2 == 0;
        Field field{position, span.length, 0.0, false};
        const QStringView view = QStringView(text).mid(position, span.length);
        field.kept = NumberText::IsFixedText(view, pH ? valueFormat.precision : 6, pH ? valueFormat.decimals : 6);
        if (!field.kept && !Convert(view, field.value)) {
            table.result.unreadable = true;
            break;
        }
        position = span.next;
        fields.push_back(field);
        if (progress && fields.size() % kProgressEvery == 0
            && !progress(0.5 * static_cast<double>(position) / static_cast<double>(text.size())))
            return std::nullopt;
    }

    if (table.result.unreadable)
        qCWarning(lcData).noquote() << QStringLiteral("Lecture arrêtée au nombre %1, qui ne se lit pas : « %2 »")
                                           .arg(fields.size() + 1)
                                           .arg(text.mid(position, 24).simplified());

    const auto cell = [&text](const Field& field, int precision, int decimals) {
        return field.kept ? text.mid(field.at, field.length) : NumberText::Fixed(field.value, precision, decimals);
    };

    using R = MeasurementRecord;
    // Each pH read adds its row; a pH whose volume is missing keeps its row, uncounted.
    const auto phCount = static_cast<qsizetype>((fields.size() + 1) / 2);
    if (phCount > 0)
        table.rows.resize(phCount + 1);
    for (qsizetype i = 0; i < phCount; ++i) {
        const auto at = static_cast<std::size_t>(2 * i);
        R::Row& row = table.rows[i + 1];
        row[R::ColPH] = cell(fields[at], valueFormat.precision, valueFormat.decimals);
        if (at + 1 < fields.size())
            row[R::ColVolume] = cell(fields[at + 1], 6, 6);
        if (progress && (i + 1) % kProgressEvery == 0
            && !progress(0.5 + 0.5 * static_cast<double>(i) / static_cast<double>(phCount)))
            return std::nullopt;
    }
    table.result.pointCount = static_cast<int>(fields.size() / 2);
    return table;
}

FillResult ApplyRows(MeasurementRecord& record, TableRows table)
{
    using R = MeasurementRecord;
    QList<R::Row>& rows = table.rows;
    if (rows.isEmpty()) {
        // Nothing read: the old points are emptied, the grid keeps its rows.
        rows = record.Rows();
        const int oldCount = std::min<int>(record.PointCount(), static_cast<int>(rows.size()) - 1);
        for (int r = 1; r <= oldCount; ++r)
            rows[r] = R::Row{};
    } else {
        // Every old row goes: the grid ends after the last pH read.
        rows[0] = record.Rows().value(0);
    }
    rows[0][R::ColValidation] = QStringLiteral("Calcul");
    record.ReplaceTable(std::move(rows), table.result.pointCount);
    return table.result;
}

FillResult FillTableFromText(MeasurementRecord& record, const QString& text)
{
    return ApplyRows(record, *ReadRows(text, {}, MeasuredQuantities::FileCellFormat(record.Quantity())));
}

QString UnreadableNumberMessage()
{
    return QStringLiteral("Erreur de lecture de nombre réel.");
}

}  // namespace MeasurementTextIo
