#include "data/MeasuredQuantity.h"

#include "data/NumberText.h"

namespace MeasuredQuantities {

bool IsConductivity(MeasuredQuantity quantity)
{
    return quantity != MeasuredQuantity::PH;
}

QString Name(MeasuredQuantity quantity)
{
    return IsConductivity(quantity) ? QStringLiteral("Conductivité") : QStringLiteral("pH");
}

QString Unit(MeasuredQuantity quantity)
{
    switch (quantity) {
    case MeasuredQuantity::PH:
        break;
    case MeasuredQuantity::ConductivityMilliSiemens:
        return QStringLiteral("mS/cm");
    case MeasuredQuantity::ConductivityMicroSiemens:
        return QStringLiteral("µS/cm");
    }
    return QString();
}

QString HeaderLine(MeasuredQuantity quantity)
{
    if (!IsConductivity(quantity))
        return QString();
    return QStringLiteral("%1 (%2)").arg(Name(quantity), Unit(quantity));
}

MeasuredQuantity FromHeaderLine(const QString& line)
{
    const QString text = line.trimmed();
    for (const MeasuredQuantity q : {MeasuredQuantity::ConductivityMilliSiemens, MeasuredQuantity::ConductivityMicroSiemens})
        if (text.compare(HeaderLine(q), Qt::CaseInsensitive) == 0)
            return q;
    return MeasuredQuantity::PH;
}

CellFormat RunCellFormat(MeasuredQuantity quantity)
{
    switch (quantity) {
    case MeasuredQuantity::PH:
        break;
    case MeasuredQuantity::ConductivityMilliSiemens:
        return {6, 4};
    case MeasuredQuantity::ConductivityMicroSiemens:
        return {6, 1};
    }
    return {5, 3};
}

CellFormat FileCellFormat(MeasuredQuantity quantity)
{
    return IsConductivity(quantity) ? RunCellFormat(quantity) : CellFormat{4, 3};
}

QString TableCaption(MeasuredQuantity quantity)
{
    return IsConductivity(quantity) ? QStringLiteral("σ (%1)").arg(Unit(quantity)) : Name(quantity);
}

QString Caption(MeasuredQuantity quantity)
{
    return IsConductivity(quantity) ? HeaderLine(quantity) : Name(quantity);
}

QString ValueText(MeasuredQuantity quantity, double value)
{
    if (!IsConductivity(quantity))
        return NumberText::Fixed(value, 4, 2);
    return quantity == MeasuredQuantity::ConductivityMicroSiemens ? NumberText::Fixed(value, 5, 1)
                                                                   : NumberText::Fixed(value, 4, 3);
}

}  // namespace MeasuredQuantities
