#pragma once

#include "BoardSetup.h"
#include "FakeClock.h"
#include "TFAcquisition.h"

#include <QHostAddress>

// The main window as tests build it: the simulated bench on the given clock, and its message
// server on a free loopback port instead of the program's port on every address.
inline TFAcquisition::MessageEndpoint TestEndpoint()
{
    TFAcquisition::MessageEndpoint endpoint;
    endpoint.port = 0;
    endpoint.address = QHostAddress(QHostAddress::LocalHost);
    return endpoint;
}

class TestWindow : public TFAcquisition {
public:
    explicit TestWindow(Clock& clock = DefaultClock())
        : TFAcquisition(clock, CreateBoard(QStringList(), QString(), clock, nullptr), TestEndpoint())
    {
    }

private:
    static Clock& DefaultClock()
    {
        static FakeClock clock;
        return clock;
    }
};
