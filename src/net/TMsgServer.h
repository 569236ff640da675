#pragma once

#include "net/MsgWire.h"
#include "net/TConnectionServer.h"

// Receives text messages on the program's port: each accepted connection reads the name and
// the message fields, answers with the acknowledgement and hands both to OnMessage, on the
// connection's thread.
class TMsgServer : public TConnectionServer {
    Q_OBJECT

public:
    // Sender is the per-connection component that served the exchange.
    using TMessageEvent = std::function<void(QObject* sender, const QString& sFrom, const QString& sMsg)>;

    static constexpr std::uint16_t kDefaultPort = MsgWire::kPort;

    explicit TMsgServer(QObject* owner = nullptr);

    // Fired once per well-formed message, after the acknowledgement has been written, on the
    // connection's thread: a handler that keeps what it receives for the user interface
    // guards it with a lock.
    TMessageEvent OnMessage;

    // One exchange. A length that does not read, or a field cut short by the peer's close,
    // ends it without acknowledgement and without OnMessage.
    void Serve() override;

    // On the component that served an exchange: the rank of its message among every message
    // this process has read, from 1, taken once the message is whole and before it is
    // acknowledged. A sender waits for each acknowledgement before its next message, so its
    // messages are numbered in the order it sent them, whichever thread hands them over first.
    quint64 ArrivalNumber() const { return arrivalNumber_; }
    // Takes the next rank; for a message that did not come through a connection.
    static quint64 NextArrivalNumber();

protected:
    std::unique_ptr<TConnectionServer> NewConnectionComponent() override;

private:
    quint64 arrivalNumber_ = 0;
};
