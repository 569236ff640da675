#pragma once

#include "PortBus.h"
#include "SimulatedBench.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class Clock;

// What the program measures with: the real board, or the emulated board fed by the simulated
// bench (the default). The bench is declared first so that it outlives the bus that reads it;
// the driver component built on `bus` must not outlive this object's bus either (its
// destructor touches no port, so destroying them in the same window destructor is safe).
struct BoardSetup {
    std::unique_ptr<SimulatedBench> bench;  // null on the real board
    std::unique_ptr<PortBus> bus;
    bool simulated = true;
    // Non-empty when the real board was asked for and could not be used: French, for the
    // operator at start.
    QString message;
};

// The command-line option and the environment variable (value "reelle") that ask for the real
// board. The option is not a file to open.
inline constexpr char kRealBoardOption[] = "--carte-reelle";
inline constexpr char kBoardEnvironmentVariable[] = "QUORIN_CARTE";
bool IsBoardOption(const QString& argument);

// Opens the real board's bus, or returns null with a French reason.
using RealBusOpener = std::function<std::unique_ptr<PortBus>(QString& error)>;

// Reads the option among `arguments` and the environment variable QUORIN_CARTE.
BoardSetup CreateBoard(const QStringList& arguments, Clock& clock);
// The same with the environment value and the real-bus opener given (tests never open the real one).
BoardSetup CreateBoard(const QStringList& arguments, const QString& environmentValue, Clock& clock,
                       const RealBusOpener& openRealBus);
