#pragma once

#include "net/SocketApi.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

class QEventLoop;
class QSocketNotifier;
class QTimer;
class TWaitTimer;

// One TCP socket with blocking-style operations for code on the thread that owns the
// component: connect, write, read exact counts or lines, close. The socket is non-blocking;
// its notifications (read, accept, connect, close) reach the component through its thread's
// event loop, and every wait runs that loop, so the window stays responsive and the program's
// own server accepts and serves while one of its clients waits. A wait sleeps in the event
// loop until its socket, its time limit or a cancel wakes it.
//
// All operations run on the component's thread. Cancel (and Abort of a listening server) may
// come from any thread; the state flags are written and read whole from any thread.
class TSocketLink : public QObject {
    Q_OBJECT

public:
    using TNotifyEvent = std::function<void(QObject* sender)>;
    using THandlerEvent = std::function<void(QObject* sender, bool& handled)>;
    using TOnHostResolved = std::function<void(QObject* sender)>;
    using TOnStatus = std::function<void(QObject* sender, const QString& status)>;

    // Transfer window: the most one Read takes and one Write sends.
    static constexpr int kBufferSize = 65536;

    // What a wait is for, so that a wait that runs out of time can be told apart in the journal
    // (the texts of the exceptions stay as the peers and callers know them).
    enum class WaitKind { None, Lookup, Connection, Accept, Sending, Reading, PeerClose };

    // Makes the first socket (which resets its connection when closed). Throws ESocketError
    // "Echec de l'initialisation des sockets Windows" when no socket can be made.
    explicit TSocketLink(QObject* owner = nullptr);
    ~TSocketLink() override;

    // Where to connect or listen, how long a wait may last and how much the status reports
    // say: read by the next Connect, Listen or wait.
    QString Host() const { return host_; }
    void SetHost(const QString& host) { host_ = host; }
    std::uint16_t Port() const { return port_; }
    void SetPort(std::uint16_t port) { port_ = port; }
    // Time limit in ms of the connection, lookup, send and line waits; 0: none.
    int TimeOut() const { return timeOut_; }
    void SetTimeOut(int ms) { timeOut_ = ms; }
    int ReportLevel() const { return reportLevel_; }
    void SetReportLevel(int level) { reportLevel_ = level; }

    // Callbacks on the link's thread, each with the link as sender; an empty one is not called.
    TNotifyEvent OnConnect;
    TNotifyEvent OnDisconnect;
    THandlerEvent OnInvalidHost;
    TOnHostResolved OnHostResolved;
    TOnStatus OnStatus;
    TNotifyEvent OnConnectionFailed;

    // State.
    bool Connected() const { return connected_; }
    bool Canceled() const { return canceled_; }
    bool TimedOut() const { return timedOut_; }
    bool Succeeded() const { return succeeded_; }
    bool WaitDone() const { return waitDone_; }
    int LastError() const { return lastError_; }
    QString Status() const;
    QByteArray LastReply() const { return lastReply_; }
    std::int16_t ReplyNumber() const { return replyNumber_; }
    // Lines describing the socket library, filled by the component that started it.
    QStringList InfoList() const { return infoList_; }
    // The wait that last ran out of time, and whether for want of progress (the idle limit)
    // rather than at the overall limit or TimeOut.
    WaitKind TimedOutWait() const { return timedOutWait_; }
    bool TimedOutIdle() const { return timedOutIdle_; }
    // Bytes received since the connection was made or taken over.
    qint64 ReceivedBytes() const { return receivedBytes_; }
    // The peer: filled by Connect, and by Accept with the accepted connection's peer.
    QHostAddress RemoteAddress() const;
    std::uint16_t RemotePort() const;
    // Live components in the process; the socket library runs while it is above 0.
    static int ComponentCount();

    virtual void Connect();
    virtual void Disconnect();
    virtual QByteArray Transaction(const QByteArray& text);
    virtual void Abort();
    virtual SocketApi::Handle Accept();

    void Cancel();
    void ResolveHost();
    // Sends `count` bytes, or with count 0 the bytes before the first NUL.
    void SendBuffer(const char* bytes, std::uint16_t count);
    // Sends the text up to its first NUL; more than 65 535 bytes before it are refused.
    void Write(const QByteArray& text);
    void Writeln(const QByteArray& text);
    // Exactly `count` bytes; fewer only when the peer has closed (empty when nothing came).
    // With count 0, whatever is pending now.
    QByteArray Read(std::uint16_t count);
    // Through the next line feed; what has come when the peer closes or is not connected.
    QByteArray ReadLn();
    bool DataAvailable();
    // Listens on Port (0: a free port, see LocalPort) at the bind address. Bind and listen
    // failures are not reported: the server then never accepts. On the first channel each
    // incoming connection calls the accept hook; on the second it ends Accept's wait.
    void Listen(bool secondChannel = false);
    // Raises ESocketError with the text of the last socket error unless it is `ignored`.
    QString CheckSocketError(int ignored);
    QString SocketErrorText(int number);

    // Every wait ends as timed out once `overall` has expired or, with idleMs above 0, after
    // idleMs without a byte received or sent.
    void SetWaitLimits(QDeadlineTimer overall, int idleMs = 0);
    void ClearWaitLimits();
    // Address that Listen binds to; all local IPv4 addresses unless set. When set, Connect
    // leaves from it too (a free port of that address) rather than from the one the route gives.
    void SetBindAddress(const QHostAddress& address);
    // The port actually listened on, 0 when not listening.
    std::uint16_t LocalPort() const;
    // Why the last Listen did not listen (a socket error number, 10048 for a port in use); 0
    // when it listens.
    int ListenError() const { return listenError_; }
    // Replaces this component's socket with an accepted connection, connected.
    void TakeOverSocket(SocketApi::Handle accepted, std::uint32_t peerAddress, std::uint16_t peerPort);

protected:
    // Stores the status and reports it to OnStatus when ReportLevel is at least `level`.
    void Report(const QString& text, int level);
    // Starts the lookup of `host`; HostLookupFinished ends it on this thread, later. A test
    // may replace the system's lookup here.
    virtual void StartHostLookup(const QString& host);
    virtual void AbortHostLookup();
    // `address` in network byte order.
    void HostLookupFinished(bool found, std::uint32_t address);
    // Waits for the peer to close, dropping what it still sends, until the wait limits end it.
    // True when the connection ended (closed or broken by the peer), false when the wait did.
    bool WaitForPeerClose();
    // The peer in network byte order, as TakeOverSocket wants it.
    std::uint32_t RemoteAddressBytes() const { return remoteAddress_; }
    std::uint16_t RemotePortBytes() const { return remotePort_; }
    void SetConnected(bool connected) { connected_ = connected; }
    void SetWaitDone(bool done) { waitDone_ = done; }
    bool Destroying() const { return destroying_; }
    bool Listening() const { return listening_; }
    // Closes the listening socket and takes no more connections.
    void StopListening();

    // The two internal hooks: data arrival (read notifications) and accept notifications.
    std::function<void()> dataArrivalHook;
    std::function<void()> acceptHook;

private:
    enum Interest : unsigned { kNone = 0, kReadable = 1, kWritable = 2 };

    void CloseStep();
    void ResetSocket();
    void MakeFreshSocket(bool first);
    [[noreturn]] void ThrowSocketError(int error);
    void PeerClosed();
    void TimerStart();
    void TimerStop();
    void TimerFired();
    bool WaitLimitPassed() const;
    void WaitLimitReached();
    // One pass of a wait: runs this thread's event loop until something that the waiting
    // operation looks at may have changed.
    void WaitForEvent(unsigned interest, WaitKind kind);
    void WakeWait();
    void ReadNotified();
    void WriteNotified();
    void ReArmRead();
    // A receive that takes bytes off the socket (or the carried-over input).
    QByteArray TakeInput(int count);
    void NoteProgress();
    void NoteReceived(std::int64_t count);

    QString host_;
    std::uint16_t port_ = 0;
    int timeOut_ = 0;
    std::atomic<int> reportLevel_{0};

    SocketApi::Handle socket_ = SocketApi::kNoSocket;
    QSocketNotifier* readNotifier_;
    QSocketNotifier* writeNotifier_;
    TWaitTimer* timer_;
    QTimer* limitTimer_;
    QEventLoop* activeLoop_ = nullptr;
    int waitDepth_ = 0;

    std::uint32_t remoteAddress_ = 0;
    std::uint16_t remotePort_ = 0;
    std::uint32_t bindAddress_ = 0;

    std::atomic<bool> connected_{false};
    std::atomic<bool> canceled_{false};
    std::atomic<bool> timedOut_{false};
    std::atomic<bool> succeeded_{true};
    std::atomic<bool> waitDone_{false};
    std::atomic<bool> destroying_{false};
    bool connecting_ = false;
    bool listening_ = false;
    int listenError_ = 0;
    bool secondChannel_ = false;
    int lastError_ = 0;
    WaitKind waitKind_ = WaitKind::None;
    WaitKind timedOutWait_ = WaitKind::None;
    bool timedOutIdle_ = false;
    qint64 receivedBytes_ = 0;

    mutable std::mutex statusLock_;
    QString status_;
    QByteArray lastReply_;
    std::int16_t replyNumber_ = 0;
    QStringList infoList_;
    bool countsInLibrary_ = false;

    // Bytes taken off the socket by a read that was then cancelled or cut short: the next
    // read starts with them.
    QByteArray input_;
    // Staging area of the transfer window: peeks land here, with one byte for a NUL.
    QByteArray transfer_;

    int lookupId_ = -1;
    std::uint32_t lookupAddress_ = 0;

    QDeadlineTimer overallLimit_ = QDeadlineTimer(QDeadlineTimer::Forever);
    int idleLimitMs_ = 0;
    QDeadlineTimer idleDeadline_ = QDeadlineTimer(QDeadlineTimer::Forever);
};
