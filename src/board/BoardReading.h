#pragma once

#include <QMetaType>
#include <QString>

#include <cstdint>

// One measurement of both channels as the measurement thread hands it back to the window.
struct BoardReading {
    enum class Failure {
        None,
        // The driver's status says the measurement did not complete (no sampling signal):
        // the board status message.
        Status,
        // The driver or its bus threw (a refused port, ...): an error for the error box.
        Exception,
    };

    // The request this answers; a requester drops readings whose tag it no longer waits for.
    std::uint64_t tag = 0;
    double voltage1 = 0.0;
    double voltage2 = 0.0;
    // On the program's clock: when the measurement began, and right after it returned.
    std::int64_t startedMs = 0;
    std::int64_t endedMs = 0;
    Failure failure = Failure::None;
    // French, when failure is not None.
    QString failureText;
};

Q_DECLARE_METATYPE(BoardReading)
