#pragma once

#include "TSocketLink.h"

#include <QDeadlineTimer>

#include <memory>
#include <mutex>
#include <vector>

class TServeThread;

// The listening side of the socket link. A listening server accepts each connection on its
// own thread (the user-interface thread), makes a per-connection component of its own class
// for it and serves it on a TServeThread through Serve, which a derived class defines.
//
// Limits keep any peer from holding the server: at most `maxConnections` live connections
// (one accepted beyond that is closed at once); an exchange that makes no progress for
// `idleMs`, or lasts more than `totalMs`, is ended; a peer that has not closed `closeWaitMs`
// after the server's last write is closed by the server.
class TConnectionServer : public TSocketLink {
    Q_OBJECT

public:
    struct Limits {
        int maxConnections = 64;
        int idleMs = 10'000;
        int totalMs = 30'000;
        int closeWaitMs = 5'000;
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
    // After the server's last write: the peer has closeWaitMs to close.
    void WaitForPeerCloseAfterReply();
    // A new instance of this server's class, for one accepted connection.
    virtual std::unique_ptr<TConnectionServer> NewConnectionComponent();

private:
    friend class TServeThread;

    void AcceptHandler();
    void StartServeThread(SocketApi::Handle accepted);
    void ReleaseClient(TConnectionServer* component);
    void JoinThread(TServeThread* thread);

    Limits limits_;
    QDeadlineTimer exchangeDeadline_{QDeadlineTimer::Forever};
    TConnectionServer* server_ = nullptr;
    TServeThread* thread_ = nullptr;
    mutable std::mutex clientsLock_;
    std::vector<TConnectionServer*> clients_;  // guarded by clientsLock_
    std::vector<std::unique_ptr<TServeThread>> threads_;
};
