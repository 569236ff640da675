#include "net/ESocketError.h"

ESocketError::ESocketError(const QString& text) : std::runtime_error(text.toStdString()) {}
