#pragma once

#include "board/BoardSetup.h"
#include "FakeClock.h"
#include "window/TFAcquisition.h"

#include "support/StartupValues.h"

#include <QHostAddress>
#include <QTemporaryDir>

// The main window as tests build it: the simulated bench on the given clock, and its message
// server on a free loopback port instead of the program's port on every address.
inline TFAcquisition::MessageEndpoint TestEndpoint()
{
    TFAcquisition::MessageEndpoint endpoint;
    endpoint.port = 0;
    endpoint.address = QHostAddress(QHostAddress::LocalHost);
    return endpoint;
}

// Without a program folder the data folder would fall back to the user's documents: tests
// get a temporary one for the whole process, unless a test has set its own.
inline void UseTemporaryProgramDir()
{
    static QTemporaryDir folder;
    if (StartupValues::ProgramDir().isEmpty())
        StartupValues::SetProgramDir(folder.path());
}

// A state folder (journal, recovery files) of its own for each window, set before the window
// is made: nothing a test's run leaves there reaches another test.
class TemporaryStateDir {
public:
    TemporaryStateDir() { StartupValues::SetStateDir(folder_.path()); }
    QString Path() const { return folder_.path(); }

private:
    QTemporaryDir folder_;
};

class TestWindow : private TemporaryStateDir, public TFAcquisition {
public:
    explicit TestWindow(Clock& clock = DefaultClock())
        : TemporaryStateDir()
        , TFAcquisition(clock, CreateBoard(QStringList(), QString(), clock, nullptr), TestEndpoint())
    {
        UseTemporaryProgramDir();
    }

private:
    static Clock& DefaultClock()
    {
        static FakeClock clock;
        return clock;
    }
};
