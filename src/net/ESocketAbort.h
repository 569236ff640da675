#pragma once

#include "net/ESocketError.h"

// A wait of the socket link that was cancelled (by Cancel, Abort or a time limit).
class ESocketAbort : public ESocketError {
public:
    using ESocketError::ESocketError;
};
