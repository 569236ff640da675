#pragma once

#include "net/TSocketLink.h"

#include <QDeadlineTimer>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class TServeThread;

// The listening side of the socket link. A listening server accepts each connection on its
// own thread (the user-interface thread), makes a per-connection component of its own class
// for it and serves it on a TServeThread through Serve, which a derived class defines.
//
// Limits keep any peer from holding the server. A connection holds a place from its accept
// until its exchange has ended (ExchangeEnded: only the reply is left to write); at most
// `maxConnections` places in all and `maxPerAddress` for one peer address (each classroom
// computer has its own), so that one computer cannot turn the others away; a connection
// beyond either is reset at once. An exchange that makes no progress for `idleMs`, or lasts more than
// `totalMs`, is ended; a peer that has not closed `closeWaitMs` after the server's reply is
// closed by the server. Connections whose exchange has ended wait only for that close; they
// hold no place, but a thread each: past `maxConnections` of them the oldest is closed.
class TConnectionServer : public TSocketLink {
    Q_OBJECT

public:
    struct Limits {
        int maxConnections = 64;
        // A message of the largest size takes milliseconds on a classroom network: a peer
        // that sends nothing for seconds, or trickles its bytes, is not a sender to wait for.
        int idleMs = 3'000;
        int totalMs = 5'000;
        int closeWaitMs = 2'000;
        int maxPerAddress = 16;
    };

    explicit TConnectionServer(QObject* owner = nullptr);
    // Cancels every live connection and waits for their threads before anything is released.
    ~TConnectionServer() override;

    // Fired on the listening server's thread after each incoming connection has been handed
    // to its thread (or dropped), with the listening server as sender.
    TNotifyEvent OnClientContact;

    // Starts listening on Port through the accept handler; called once the owner is ready.
    void Loaded();
    // A server does not connect.
    void Connect() override {}
    // A listening server cancels every live connection; a per-connection component cancels
    // its own exchange.
    void Abort() override;
    // The exchange on one connection, run on the connection's thread with the per-connection
    // component as object. It must end, normally or by raising, once the exchange is over.
    virtual void Serve() {}

    Limits ServerLimits() const { return limits_; }
    void SetServerLimits(const Limits& limits) { limits_ = limits; }
    // Live per-connection components of this listening server.
    int ClientCount() const;
    // Connection threads not yet joined (the listening server's thread only).
    int ThreadCount() const { return static_cast<int>(threads_.size()); }
    // On a per-connection component: the exchange is over but for its reply; the connection no
    // longer holds a place (it may still wait for the peer's close).
    bool ExchangeEnded() const { return exchangeEnded_; }
    // Why an exchange ended before its end, for the journal: a wait that ran out of time says
    // what it was waiting for and for how long; any other failure keeps its text.
    QString InterruptionText(const QString& failure) const;
    // On a per-connection component: the listening server it belongs to, and its thread.
    TConnectionServer* Server() const { return server_; }
    TServeThread* ServeThread() const { return thread_; }

    // Stops listening, cancels every live connection and waits for every connection thread.
    // A derived class whose Serve or events use its own members calls this first in its
    // destructor.
    void StopServing();

    // Serializes accepting connections and making and releasing per-connection components.
    static std::mutex& ProcessLock();

protected:
    // Sets the wait limits of a per-connection component for its exchange.
    void BeginExchange();
    // The exchange is over but for its reply: the place is free for the next connection.
    void EndExchange() { exchangeEnded_ = true; }
    // The reply is written: the connection may be closed to make room for others.
    void Replied() { replied_ = true; }
    // After the server's last write: the peer has closeWaitMs to close.
    void WaitForPeerCloseAfterReply();
    // A new instance of this server's class, for one accepted connection.
    virtual std::unique_ptr<TConnectionServer> NewConnectionComponent();

private:
    friend class TServeThread;

    void AcceptHandler();
    // Why a connection from `address` (network byte order) cannot be served now; empty when
    // it can (an ended exchange may be closed to make room).
    QString Refusal(std::uint32_t address);
    void StartServeThread(SocketApi::Handle accepted);
    void ReleaseClient(TConnectionServer* component);
    void JoinThread(TServeThread* thread);

    Limits limits_;
    QDeadlineTimer exchangeDeadline_{QDeadlineTimer::Forever};
    TConnectionServer* server_ = nullptr;
    TServeThread* thread_ = nullptr;
    std::atomic<bool> exchangeEnded_{false};
    std::atomic<bool> replied_{false};
    mutable std::mutex clientsLock_;
    std::vector<TConnectionServer*> clients_;  // guarded by clientsLock_
    std::vector<std::unique_ptr<TServeThread>> threads_;
};
