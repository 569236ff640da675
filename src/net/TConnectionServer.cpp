#include "TConnectionServer.h"

#include "NetLog.h"
#include "TServeThread.h"

#include <QDeadlineTimer>

#include <algorithm>

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
            if (ClientCount() >= limits_.maxConnections) {
                SocketApi::Close(accepted);
                qCWarning(lcNet).noquote() << QStringLiteral("Connexion de %1 fermée : %2 échanges déjà en cours")
                                                  .arg(RemoteAddress().toString())
                                                  .arg(limits_.maxConnections);
            } else {
                StartServeThread(accepted);
            }
        } catch (const std::exception& error) {
            // A connection that cannot be taken over is not served; the server goes on.
            qCWarning(lcNet).noquote() << QStringLiteral("Connexion entrante non servie : %1")
                                              .arg(QString::fromUtf8(error.what()));
        }
    }
    if (OnClientContact)
        OnClientContact(this);
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
    SetWaitLimits(std::min(exchangeDeadline_, QDeadlineTimer(limits_.closeWaitMs)), 0);
    WaitForPeerClose();
}
