#pragma once

#include "PortBus.h"
#include "SimulatedBench.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class Clock;

// Opens the real board's bus, or returns null with a French reason.
using RealBusOpener = std::function<std::unique_ptr<PortBus>(QString& error)>;

// What the program measures with: the real board, or the emulated board fed by the simulated
// bench (the default). The bench is declared first so that it outlives the bus that reads it;
// whoever takes the bus (the measurement thread) must be done with it before the bench goes.
struct BoardSetup {
    std::unique_ptr<SimulatedBench> bench;  // null on the real board
    // Null for the real board until OpenRealBus has opened it.
    std::unique_ptr<PortBus> bus;
    // Set while the real board is asked for and not opened yet.
    RealBusOpener openRealBus;
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

// Reads the option among `arguments` and the environment variable QUORIN_CARTE. The real board
// is only asked for here, not opened: port permissions belong to the thread that asks for
// them, so the thread that measures opens it (OpenRealBus).
BoardSetup CreateBoard(const QStringList& arguments, Clock& clock);
// The same with the environment value and the real-bus opener given (tests never open the real one).
BoardSetup CreateBoard(const QStringList& arguments, const QString& environmentValue, Clock& clock,
                       const RealBusOpener& openRealBus);

// On the thread that measures: opens the real bus that `setup` asks for. Returns the French
// reason of a refusal (the bus stays null), or an empty text.
QString OpenRealBus(BoardSetup& setup);
// After a refusal: the simulated bench instead, and why, for the operator.
void FallBackToBench(BoardSetup& setup, Clock& clock, const QString& reason);
