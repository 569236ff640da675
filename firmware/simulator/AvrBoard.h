#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

#include <cstdint>
#include <optional>

// The USB interface as tests and benchmarks meet it: the firmware image running on the
// simulated microcontroller (AvrHarness), its UART on a pseudo-terminal (PortName), its two
// inputs set from here. Starting it fails only when the harness or the image is missing.
class AvrBoard {
public:
    AvrBoard();
    // Ends the harness (as unplugging the board does, if that was not done already).
    ~AvrBoard();
    AvrBoard(const AvrBoard&) = delete;
    AvrBoard& operator=(const AvrBoard&) = delete;

    bool Started() const { return !portName_.isEmpty(); }
    // Why it did not start.
    const QString& Error() const { return error_; }
    // The terminal the program opens as it opens /dev/ttyACM0.
    const QString& PortName() const { return portName_; }

    // The voltage on A0 (channel 0) or A1 (channel 1), in millivolts, from the next conversion.
    bool SetMillivolts(int channel, double millivolts);
    bool SetNoise(double peakMillivolts);
    // The next answer line: one digit changed (CORRUPT), cut after 10 bytes (CUT), not sent (MUTE).
    bool Spoil(const QByteArray& fault);
    // Closes the terminal, as pulling the USB cable does; the harness ends.
    bool Unplug();
    // The simulated and the real milliseconds since the harness started.
    std::optional<std::pair<std::int64_t, std::int64_t>> Times();

    static QString FirmwareHex();

private:
    // Sends one command line and waits for its "OK"; the lines before it go to `before`.
    bool Command(const QByteArray& command, QByteArray* before = nullptr);

    QProcess process_;
    QString portName_;
    QString error_;
};
