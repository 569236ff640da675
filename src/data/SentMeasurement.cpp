#include "data/SentMeasurement.h"

#include <algorithm>

namespace SentMeasurement {

QString Text(const QString& measurementText, MeasuredQuantity quantity)
{
    if (!MeasuredQuantities::IsConductivity(quantity))
        return measurementText;
    return measurementText + MeasuredQuantities::HeaderLine(quantity) + QLatin1Char('\r');
}

MeasuredQuantity Quantity(const QString& text, qsizetype dataLength)
{
    // The first line with any text after the points; the empty lines that end them are skipped.
    const QStringView rest = QStringView(text).mid(std::clamp<qsizetype>(dataLength, 0, text.size()));
    for (const QStringView line : rest.tokenize(QLatin1Char('\r'), Qt::SkipEmptyParts)) {
        const QString trimmed = line.trimmed().toString();
        if (!trimmed.isEmpty())
            return MeasuredQuantities::FromHeaderLine(trimmed);
    }
    return MeasuredQuantity::PH;
}

}  // namespace SentMeasurement
