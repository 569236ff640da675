#include "data/TypedMeasurements.h"

#include "data/NumberText.h"

#include <algorithm>
#include <cmath>

namespace TypedMeasurements {

namespace {

bool Read(const QString& text, double& value)
{
    QString typed = text.trimmed();
    typed.replace(QLatin1Char('.'), NumberText::kDecimalSeparator);
    return !typed.isEmpty() && NumberText::TryParse(typed, value) && std::isfinite(value);
}

Checked Refuse(Field field, const QString& text)
{
    return {std::nullopt, field, text};
}

}  // namespace

Checked Check(const QString& volumeText, const QString& valueText, MeasuredQuantity quantity)
{
    Point point;
    if (!Read(volumeText, point.volumeMl))
        return Refuse(Field::Volume, QStringLiteral("Volume : « %1 » n'est pas un nombre.").arg(volumeText.trimmed()));
    if (point.volumeMl < 0.0)
        return Refuse(Field::Volume, QStringLiteral("Un volume versé ne peut pas être négatif."));
    if (point.volumeMl > kMaxVolumeMl)
        return Refuse(Field::Volume, QStringLiteral("Volume au-delà de %1 mL : vérifiez la virgule.")
                                         .arg(NumberText::General(kMaxVolumeMl)));
    const QString name = MeasuredQuantities::Name(quantity);
    if (!Read(valueText, point.value))
        return Refuse(Field::Value, QStringLiteral("%1 : « %2 » n'est pas un nombre.").arg(name, valueText.trimmed()));
    if (MeasuredQuantities::IsConductivity(quantity)) {
        if (point.value < 0.0)
            return Refuse(Field::Value, QStringLiteral("Une conductivité ne peut pas être négative."));
        const double max = quantity == MeasuredQuantity::ConductivityMicroSiemens ? kMaxMilliSiemens * 1000.0
                                                                                   : kMaxMilliSiemens;
        if (point.value > max)
            return Refuse(Field::Value, QStringLiteral("Conductivité au-delà de %1 %2 : vérifiez la virgule.")
                                            .arg(NumberText::General(max), MeasuredQuantities::Unit(quantity)));
    } else if (point.value < kMinPH || point.value > kMaxPH) {
        return Refuse(Field::Value, QStringLiteral("Un pH se lit entre %1 et %2 : vérifiez la virgule.")
                                        .arg(NumberText::General(kMinPH), NumberText::General(kMaxPH)));
    }
    return {point, Field::Volume, QString()};
}

double NextVolumeMl(const QList<Point>& typed)
{
    if (typed.isEmpty())
        return 0.0;
    const double last = typed.back().volumeMl;
    double step = kDefaultStepMl;
    if (typed.size() >= 2 && last > typed[typed.size() - 2].volumeMl)
        step = last - typed[typed.size() - 2].volumeMl;
    // Rounded as the field shows it, so that 0,1 + 0,2 proposes 0,3.
    return std::round((last + step) * 1000.0) / 1000.0;
}

QString VolumeText(double volumeMl)
{
    return NumberText::General(std::round(volumeMl * 1000.0) / 1000.0);
}

QList<MeasurementRecord::Row> Rows(const QList<Point>& typed, MeasuredQuantity quantity)
{
    using R = MeasurementRecord;
    QList<Point> sorted = typed;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Point& a, const Point& b) { return a.volumeMl < b.volumeMl; });
    const MeasuredQuantities::CellFormat format = MeasuredQuantities::FileCellFormat(quantity);
    QList<R::Row> rows(sorted.size() + 1);
    rows[0][R::ColPH] = MeasuredQuantities::TableCaption(quantity);
    rows[0][R::ColVolume] = QStringLiteral("volume en L");
    rows[0][R::ColValidation] = QStringLiteral("Saisie");
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        rows[i + 1][R::ColPH] = NumberText::Fixed(sorted[i].value, format.precision, format.decimals);
        rows[i + 1][R::ColVolume] = NumberText::Fixed(sorted[i].volumeMl / 1000.0, 6, 6);
    }
    return rows;
}

}  // namespace TypedMeasurements
