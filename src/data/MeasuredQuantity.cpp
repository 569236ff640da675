#include "data/MeasuredQuantity.h"

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

}  // namespace MeasuredQuantities
