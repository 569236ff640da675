#pragma once

#include "board/PortBus.h"
#include "board/SimulatedBench.h"
#include "board/UsbInterface.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class Clock;

// Opens the real board's bus, or returns null with a French reason.
using RealBusOpener = std::function<std::unique_ptr<PortBus>(QString& error)>;

// What the program measures with: the real board, the USB interface, or the emulated board fed
// by the simulated bench (the default). The bench is declared first so that it outlives the bus that reads it;
// whoever takes the bus (the measurement thread) must be done with it before the bench goes.
struct BoardSetup {
    std::unique_ptr<SimulatedBench> bench;  // null on the real board
    // Null for the real board until OpenRealBus has opened it.
    std::unique_ptr<PortBus> bus;
    // Set while the real board is asked for and not opened yet.
    RealBusOpener openRealBus;
    // Set while the USB interface is asked for and not found yet; it is looked for on the
    // thread that measures, where its port then lives.
    std::optional<UsbInterface::Options> usb;
    // The USB interface's port once it was found.
    QString usbPort;
    bool simulated = true;
    // Non-empty when the real board was asked for and could not be used: French, for the
    // operator at start.
    QString message;
};

// The command-line options and the environment variable (value "reelle" or "usb") that ask for
// the real board or the USB interface ("--carte-usb=/dev/ttyACM0" names its port; without a
// name it is looked for among the USB serial ports). An option is not a file to open.
inline constexpr char kRealBoardOption[] = "--carte-reelle";
inline constexpr char kUsbOption[] = "--carte-usb";
inline constexpr char kBoardEnvironmentVariable[] = "QUORIN_CARTE";
bool IsBoardOption(const QString& argument);

// Reads the options among `arguments` (the last one wins) and the environment variable
// QUORIN_CARTE. The real board and the USB interface are only asked for here, not opened: port
// permissions belong to the thread that asks for them, and the serial port to the thread that
// uses it, so the thread that measures opens them (BoardWorker::Open).
BoardSetup CreateBoard(const QStringList& arguments, Clock& clock);
// The same with the environment value given, or a value standing for it (the remembered choice).
BoardSetup CreateBoard(const QStringList& arguments, const QString& environmentValue, Clock& clock);
// The board without the USB interface: the real board if the command line or the environment
// asks for it, otherwise the bench.
BoardSetup CreateKestrolaBoard(const QStringList& arguments, Clock& clock);
// The same with the environment value and the real-bus opener given (tests never open the real one).
BoardSetup CreateBoard(const QStringList& arguments, const QString& environmentValue, Clock& clock,
                       const RealBusOpener& openRealBus);

// On the thread that measures: opens the real bus that `setup` asks for. Returns the French
// reason of a refusal (the bus stays null), or an empty text.
QString OpenRealBus(BoardSetup& setup);
// After a refusal: the simulated bench instead, and why, for the operator.
void FallBackToBench(BoardSetup& setup, Clock& clock, const QString& reason);
