#include "net/TConnectionServer.h"

#include "net/NetLog.h"
#include "net/TServeThread.h"
#include "text/ExceptionText.h"

#include <QDeadlineTimer>

#include <algorithm>

namespace {

// "3 s", "0,3 s": the journal's French.
QString Seconds(int ms)
{
    return QString::number(ms / 1000.0, 'g', 3).replace(QLatin1Char('.'), QLatin1Char(',')) + QStringLiteral(" s");
}

}  // namespace

TConnectionServer::TConnectionServer(QObject* owner) : TSocketLink(owner) {}

TConnectionServer::~TConnectionServer()
{
    StopServing();
}

std::mutex& TConnectionServer::ProcessLock()
{
    static std::mutex lock;
    return lock;
}

std::unique_ptr<TConnectionServer> TConnectionServer::NewConnectionComponent()
{
    return std::make_unique<TConnectionServer>();
}

void TConnectionServer::Loaded()
{
    acceptHook = [this] { AcceptHandler(); };
    Listen(false);
}

int TConnectionServer::ClientCount() const
{
    std::lock_guard lock(clientsLock_);
    return static_cast<int>(clients_.size());
}

void TConnectionServer::AcceptHandler()
{
    {
        std::lock_guard lock(ProcessLock());
        try {
            SetWaitDone(true);
            const SocketApi::Handle accepted = Accept();
            const QString refusal = Refusal(RemoteAddressBytes());
            if (!refusal.isEmpty()) {
                // Reset rather than closed: the sender must see a failure, not an empty reply.
                SocketApi::SetLingerReset(accepted);
                SocketApi::Close(accepted);
                qCWarning(lcNet).noquote()
                    << QStringLiteral("Connexion de %1 fermée : %2").arg(RemoteAddress().toString(), refusal);
            } else {
                StartServeThread(accepted);
            }
        } catch (const std::exception& error) {
            // A connection that cannot be taken over is not served; the server goes on.
            qCWarning(lcNet).noquote() << QStringLiteral("Connexion entrante non servie : %1")
                                              .arg(ExceptionText(error));
        }
    }
    if (OnClientContact)
        OnClientContact(this);
}

QString TConnectionServer::Refusal(std::uint32_t address)
{
    int exchanging = 0;
    int exchangingHere = 0;
    TConnectionServer* oldestEnding = nullptr;
    int ending = 0;
    std::lock_guard lock(clientsLock_);
    for (TConnectionServer* client : clients_) {
        if (!client->exchangeEnded_) {
            ++exchanging;
            exchangingHere += client->RemoteAddressBytes() == address ? 1 : 0;
        } else if (!client->Canceled()) {
            ++ending;
            if (!oldestEnding && client->replied_)
                oldestEnding = client;
        }
    }
    if (exchangingHere >= limits_.maxPerAddress)
        return QStringLiteral("%1 échanges déjà en cours depuis cette adresse").arg(exchangingHere);
    if (exchanging >= limits_.maxConnections)
        return QStringLiteral("%1 échanges déjà en cours").arg(exchanging);
    // Connections whose exchange has ended only wait for their peer's close, but a thread
    // each: past as many as there are places, the oldest is closed now, its sender having
    // had its reply.
    if (ending >= limits_.maxConnections && oldestEnding)
        oldestEnding->Cancel();
    return {};
}

void TConnectionServer::StartServeThread(SocketApi::Handle accepted)
{
    std::unique_ptr<TConnectionServer> component;
    try {
        component = NewConnectionComponent();
    } catch (...) {
        SocketApi::Close(accepted);
        throw;
    }
    component->TakeOverSocket(accepted, RemoteAddressBytes(), RemotePortBytes());
    component->server_ = this;
    component->limits_ = limits_;
    component->OnConnect = OnConnect;
    component->OnDisconnect = OnDisconnect;
    TConnectionServer* const client = component.get();

    threads_.push_back(std::make_unique<TServeThread>(std::move(component)));
    TServeThread* const thread = threads_.back().get();
    client->thread_ = thread;
    // Served on its own thread: its notifications and waits run there from now on.
    client->moveToThread(thread);
    {
        std::lock_guard lock(clientsLock_);
        clients_.push_back(client);
    }
    connect(thread, &QThread::finished, this, [this, thread] { JoinThread(thread); });
    thread->start();
}

void TConnectionServer::ReleaseClient(TConnectionServer* component)
{
    std::lock_guard lock(clientsLock_);
    clients_.erase(std::remove(clients_.begin(), clients_.end(), component), clients_.end());
}

void TConnectionServer::JoinThread(TServeThread* thread)
{
    const auto found = std::find_if(threads_.begin(), threads_.end(),
                                    [thread](const auto& owned) { return owned.get() == thread; });
    if (found == threads_.end())
        return;
    (*found)->wait();
    threads_.erase(found);
}

void TConnectionServer::Abort()
{
    if (server_ != nullptr) {
        TSocketLink::Abort();
        return;
    }
    Report(QStringLiteral("Abandonner"), 8);
    std::lock_guard lock(clientsLock_);
    for (TConnectionServer* client : clients_)
        client->Cancel();
}

void TConnectionServer::StopServing()
{
    if (server_ != nullptr)
        return;
    StopListening();
    Abort();
    // Cancelled exchanges end at their next wake-up, well within this.
    const QDeadlineTimer deadline(2'000);
    for (const auto& thread : threads_) {
        // Past the deadline only an event handler that does not return can hold a thread;
        // releasing its component under it would be worse than waiting.
        if (!thread->wait(deadline))
            thread->wait();
    }
    threads_.clear();
}

void TConnectionServer::BeginExchange()
{
    exchangeDeadline_ = QDeadlineTimer(limits_.totalMs);
    SetWaitLimits(exchangeDeadline_, limits_.idleMs);
}

void TConnectionServer::WaitForPeerCloseAfterReply()
{
    EndExchange();
    Replied();
    SetWaitLimits(std::min(exchangeDeadline_, QDeadlineTimer(limits_.closeWaitMs)), 0);
    const bool ended = WaitForPeerClose();
    // A cancel (the server stopping) is not the peer's doing.
    if (!ended && (TimedOut() || !Canceled()))
        qCInfo(lcNet).noquote() << QStringLiteral("Connexion de %1 fermée par ce poste : toujours ouverte %2 après la réponse")
                                       .arg(RemoteAddress().toString(), Seconds(limits_.closeWaitMs));
}

QString TConnectionServer::InterruptionText(const QString& failure) const
{
    if (!TimedOut())
        return failure;
    const QString received = QStringLiteral("%1 octet(s) reçu(s)").arg(ReceivedBytes());
    switch (TimedOutWait()) {
    case WaitKind::Reading:
        return TimedOutIdle()
            ? QStringLiteral("lecture arrêtée, plus rien reçu pendant %1 (%2)").arg(Seconds(limits_.idleMs), received)
            : QStringLiteral("lecture arrêtée, échange plus long que %1 (%2)").arg(Seconds(limits_.totalMs), received);
    case WaitKind::Sending:
        return TimedOutIdle()
            ? QStringLiteral("envoi de la réponse arrêté, le correspondant ne lisait plus depuis %1").arg(Seconds(limits_.idleMs))
            : QStringLiteral("envoi de la réponse arrêté, échange plus long que %1").arg(Seconds(limits_.totalMs));
    default:
        return failure;
    }
}
