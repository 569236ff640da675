#pragma once

#include "net/TMsgServer.h"

#include <QHostAddress>

#include <mutex>

// The main window's server MsgServer1: listens from its creation until it is destroyed and
// keeps the text of the last message received, which the network dialog shows. Every message
// is also handed over, with the peer's address, through MessageReceived.
class TMainMsgServer : public TMsgServer {
    Q_OBJECT

public:
    // A port held by another program raises nothing: this copy then receives nothing until
    // ListenAgain succeeds, and ReceptionProblem says why.
    // Tests pass port 0 (a free port, see LocalPort) and the loopback address.
    explicit TMainMsgServer(QObject* owner = nullptr, std::uint16_t port = kDefaultPort,
                            const QHostAddress& bindAddress = QHostAddress(QHostAddress::AnyIPv4));
    // Ends every connection before the last received text goes.
    ~TMainMsgServer() override;

    // OnMessage: the message replaces the last received text, then MessageReceived hands it
    // over (run on a connection thread).
    void MsgServer1Msg(QObject* sender, const QString& sFrom, const QString& sMsg);
    QString LastReceivedText() const;

    bool Receiving() const { return Listening(); }
    // Empty while listening; otherwise "Réception réseau impossible : le port 6711 est déjà
    // utilisé", or the system's reason.
    QString ReceptionProblem() const;
    // Listens when it does not; true when it listens now.
    bool ListenAgain();

signals:
    // Emitted on the connection thread that served the message: a receiver on another thread
    // gets it queued, and the connection never waits for it. `peerAddress` is the address the
    // connection came from (empty when the message did not come through a connection);
    // `arrivalNumber` orders the messages as they arrived (TMsgServer::ArrivalNumber).
    void MessageReceived(const QString& peerAddress, const QString& text, quint64 arrivalNumber);

private:
    mutable std::mutex lastReceivedLock_;
    QString lastReceivedText_;  // guarded by lastReceivedLock_
};
