#include "data/ConvertError.h"

ConvertError::ConvertError(const QString& text)
    : std::runtime_error(
          QStringLiteral("'%1' n'est pas une valeur en virgule flottante correcte").arg(text).toStdString())
{
}
