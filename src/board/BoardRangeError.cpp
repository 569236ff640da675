#include "board/BoardRangeError.h"

BoardRangeError::BoardRangeError(const QString& message) : std::range_error(message.toStdString())
{
}
