#pragma once

#include "board/BoardReading.h"

#include <QObject>

#include <cstdint>
#include <memory>

class Clock;
class PortBus;
class TTorviC;
class UsbInterface;
struct BoardSetup;

// The board's side of the measurement thread: owns the bus and the driver component `P`, or the
// USB interface, and lives on that thread, so every port access (and the opening, whose
// permissions belong to the thread that asked) happens there. Nothing it does lets an exception out: every failure of
// the board comes back in the reading.
class BoardWorker : public QObject {
    Q_OBJECT

public:
    // The clock must outlive the worker.
    explicit BoardWorker(Clock& clock);
    ~BoardWorker() override;

    // On the measurement thread: takes the bus of `setup`, opening the real one if it is asked
    // for, and builds `P` on it (which programs the parallel interface); or finds the USB
    // interface that `setup` asks for. Returns the French reason of a refusal, `setup` then
    // holding no bus; an empty text once the bus or the interface is taken.
    QString Open(BoardSetup& setup);

    // On the measurement thread as it ends: lets the serial port go on the thread it lives on.
    void Release();

    // On the measurement thread: one measurement, answered by Measured with the same tag.
    void Measure(std::uint64_t tag, std::uint32_t count, double frequency);

signals:
    void Measured(const BoardReading& reading);

private:
    QString OpenBoard(BoardSetup& setup);
    QString OpenUsb(BoardSetup& setup);
    void ReadUsb(BoardReading& reading, std::uint32_t count, double frequency);
    BoardReading Read(std::uint64_t tag, std::uint32_t count, double frequency);

    Clock& clock_;
    // Declared before P so that P, which holds a reference to it, goes first.
    std::unique_ptr<PortBus> bus_;
    std::unique_ptr<TTorviC> P;
    std::unique_ptr<UsbInterface> usb_;
};
