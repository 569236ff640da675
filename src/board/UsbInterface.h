#pragma once

#include "board/UsbProtocol.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class Clock;
class QSerialPort;

// The USB acquisition interface (our firmware on an Uno-class board) reached through its serial
// port. Lives on the measurement thread, whose waits it uses: every call blocks until the answer
// came, failed, or was late. A port that fails (unplugged) is closed, and the next measurement
// looks for the interface again, so that a board plugged back is found without a restart.
class UsbInterface {
public:
    using PortLister = std::function<QStringList()>;

    struct Options {
        // Empty: the interface is looked for among the serial ports that `listPorts` gives.
        QString portName;
        PortLister listPorts = UsbSerialPorts;
        // Opening the port resets an Uno; its boot loader keeps the line for up to a second
        // (a request it receives ends it early). The identification is asked again until this
        // much time has passed since the opening.
        int identifyWithinMs = 2500;
        int identifyRetryMs = 300;
        // How long an answer may take beyond the measurement window. The line itself takes
        // 4 ms at 115 200 Bd and the USB link a few more, but the answer is timed when this
        // thread reads it, so a busy computer's scheduling counts too: a second of margin
        // still tells a board that stopped answering within one sample period.
        int answerMarginMs = 1000;
    };

    struct Reading {
        double volts1 = 0.0;
        double volts2 = 0.0;
        int samples = 0;
        // On the clock: when the request went out.
        std::int64_t startedMs = 0;
    };

    // The clock must outlive the interface.
    UsbInterface(Options options, Clock& clock);
    ~UsbInterface();

    // Finds the interface (the named port, or the first port that answers as our firmware) and
    // keeps its port open. Returns the French refusal, "Aucune interface Quorin sur <port> : ...",
    // or an empty text.
    QString Open();

    // One measurement over `windowMs`; nothing and the French reason in `failure` when it
    // failed, whatever the reason. Looks for the interface again first if it was lost.
    std::optional<Reading> Measure(int windowMs, QString& failure);

    // The port in use, or the last one used when the interface is lost.
    QString PortName() const { return portName_; }
    bool Connected() const;

    // Serial ports that came with USB, the usual boards' makers first.
    static QStringList UsbSerialPorts();

private:
    // Opens `name` and asks it who it is; empty when it is our firmware.
    QString TryPort(const QString& name);
    QString Find();
    void Lose();
    // Sends `request` and reads one answer line before `deadlineMs`; nothing and the reason.
    std::optional<QByteArray> Exchange(const QByteArray& request, std::int64_t deadlineMs, QString& failure);

    Options options_;
    Clock& clock_;
    std::unique_ptr<QSerialPort> port_;
    QString portName_;
    std::uint16_t sequence_ = 0;
};
