#include "net/TSocketLink.h"

#include "net/ESocketError.h"
#include "net/NetLog.h"
#include "net/SocketErrorTable.h"
#include "net/TWaitTimer.h"

#include <QHostInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <QtEndian>

#include <algorithm>

namespace {

const char* const kInitFailed = "Echec de l'initialisation des sockets Windows";
const char* const kLookupTimedOut = "Temps dépassé pour la recherche de l'hôte";
const char* const kLookupCanceled = "Recherche de l'hôte annulée";

std::mutex& CountLock()
{
    static std::mutex lock;
    return lock;
}
int componentCount = 0;  // guarded by CountLock()

// Failures that end a connection attempt, reported as "La connection a échoué" whether the
// system gives them at once or later.
bool EndsConnectionAttempt(int error)
{
    switch (error) {
    case 10050: case 10051: case 10053: case 10054: case 10060: case 10061: case 10064: case 10065:
        return true;
    default:
        return false;
    }
}

}  // namespace

TSocketLink::TSocketLink(QObject* owner)
    : QObject(owner),
      readNotifier_(new QSocketNotifier(QSocketNotifier::Read, this)),
      writeNotifier_(new QSocketNotifier(QSocketNotifier::Write, this)),
      timer_(new TWaitTimer(this)),
      limitTimer_(new QTimer(this))
{
    Report(QStringLiteral("Créer"), 8);
    transfer_.resize(kBufferSize + 1);
    timer_->SetEnabled(false);
    timer_->SetOnTimer([this](QObject*) { TimerFired(); });
    limitTimer_->setSingleShot(true);
    connect(limitTimer_, &QTimer::timeout, this, &TSocketLink::WakeWait);
    connect(readNotifier_, &QSocketNotifier::activated, this, &TSocketLink::ReadNotified);
    connect(writeNotifier_, &QSocketNotifier::activated, this, &TSocketLink::WriteNotified);

    Report(QStringLiteral("Initialisation de Winsock"), 8);
    {
        std::lock_guard lock(CountLock());
        if (componentCount == 0 && !SocketApi::Startup(infoList_))
            throw ESocketError(QString::fromUtf8(kInitFailed));
        ++componentCount;
        countsInLibrary_ = true;
    }
    MakeFreshSocket(true);
    if (socket_ == SocketApi::kNoSocket) {
        std::lock_guard lock(CountLock());
        if (--componentCount == 0)
            SocketApi::Cleanup();
        countsInLibrary_ = false;
        throw ESocketError(QString::fromUtf8(kInitFailed));
    }
}

TSocketLink::~TSocketLink()
{
    Report(QStringLiteral("Détruire"), 8);
    TSocketLink::Abort();
    Cancel();
    AbortHostLookup();
    destroying_ = true;
    try {
        CloseStep();
    } catch (const ESocketError& error) {
        // The handle is released whatever close says; there is nobody left to tell.
        qCWarning(lcNet).noquote() << QStringLiteral("Fermeture d'une socket détruite : %1").arg(error.Text());
    }
    if (countsInLibrary_) {
        std::lock_guard lock(CountLock());
        if (--componentCount == 0)
            SocketApi::Cleanup();
    }
}

int TSocketLink::ComponentCount()
{
    std::lock_guard lock(CountLock());
    return componentCount;
}

QString TSocketLink::Status() const
{
    std::lock_guard lock(statusLock_);
    return status_;
}

QHostAddress TSocketLink::RemoteAddress() const
{
    return QHostAddress(qFromBigEndian(remoteAddress_));
}

std::uint16_t TSocketLink::RemotePort() const
{
    return qFromBigEndian(remotePort_);
}

void TSocketLink::Report(const QString& text, int level)
{
    {
        std::lock_guard lock(statusLock_);
        status_ = text;
    }
    if (reportLevel_ >= level && !destroying_ && OnStatus) {
        try {
            OnStatus(this, text);
        } catch (...) {
            // A status handler's failure must not break the operation it reports on.
            qCWarning(lcNet).noquote() << QStringLiteral("Compte rendu « %1 » : échec ignoré (%2)")
                                              .arg(text, CaughtText());
        }
    }
}

void TSocketLink::MakeFreshSocket(bool first)
{
    socket_ = SocketApi::CreateTcpSocket();
    if (socket_ == SocketApi::kNoSocket)
        return;
    // The first socket resets its connection when closed; later ones close in the orderly way.
    if (first)
        SocketApi::SetLingerReset(socket_);
    readNotifier_->setSocket(static_cast<qintptr>(socket_));
    writeNotifier_->setSocket(static_cast<qintptr>(socket_));
}

void TSocketLink::ThrowSocketError(int error)
{
    lastError_ = error;
    throw ESocketError(SocketErrorText(error));
}

QString TSocketLink::CheckSocketError(int ignored)
{
    const int error = SocketApi::LastError();
    lastError_ = error;
    if (error != ignored && error > 10000)
        throw ESocketError(SocketErrorText(error));
    return {};
}

QString TSocketLink::SocketErrorText(int number)
{
    Report(QStringLiteral("Recherche du message d'erreur") + Status(), 8);
    return SocketErrorTable::Format(number);
}

// ---- host, connection, close ----

void TSocketLink::StartHostLookup(const QString& host)
{
    lookupId_ = QHostInfo::lookupHost(host, this, [this](const QHostInfo& info) {
        if (info.lookupId() != lookupId_)
            return;  // an abandoned lookup
        lookupId_ = -1;
        const QList<QHostAddress> addresses = info.addresses();
        const auto ipv4 = std::find_if(addresses.begin(), addresses.end(), [](const QHostAddress& a) {
            return a.protocol() == QAbstractSocket::IPv4Protocol;
        });
        if (info.error() == QHostInfo::NoError && ipv4 != addresses.end())
            HostLookupFinished(true, qToBigEndian(ipv4->toIPv4Address()));
        else
            HostLookupFinished(false, 0);
    });
}

void TSocketLink::AbortHostLookup()
{
    if (lookupId_ >= 0)
        QHostInfo::abortHostLookup(lookupId_);
    lookupId_ = -1;
}

void TSocketLink::HostLookupFinished(bool found, std::uint32_t address)
{
    succeeded_ = found;
    lookupAddress_ = address;
    waitDone_ = true;
    WakeWait();
}

void TSocketLink::ResolveHost()
{
    Report(QStringLiteral("Résolution de l'hôte"), 8);
    const std::uint32_t dotted = SocketApi::ParseDottedAddress(host_.toLatin1());
    if (dotted != SocketApi::kNoAddress) {
        remoteAddress_ = dotted;
        return;
    }
    remoteAddress_ = 0;
    TimerStart();
    waitDone_ = false;
    try {
        StartHostLookup(host_);
        while (!waitDone_ && !timedOut_ && !canceled_)
            WaitForEvent(kNone, WaitKind::Lookup);
    } catch (...) {
        TimerStop();
        AbortHostLookup();
        throw;
    }
    TimerStop();
    if (timedOut_ || canceled_) {
        AbortHostLookup();
        throw ESocketError(QString::fromUtf8(timedOut_ ? kLookupTimedOut : kLookupCanceled));
    }
    if (!succeeded_)
        throw ESocketError(QStringLiteral("Echec de la recherche de l'hôte"));
    remoteAddress_ = lookupAddress_;
    if (OnHostResolved)
        OnHostResolved(this);
}

void TSocketLink::Connect()
{
    Report(QStringLiteral("Connexion"), 8);
    canceled_ = false;
    if (connected_)
        throw ESocketError(QStringLiteral("Déjà connecté"));
    for (int attempts = 0;; ++attempts) {
        try {
            ResolveHost();
        } catch (const ESocketError& error) {
            const QString text = error.Text();
            if (text == QString::fromUtf8(kLookupTimedOut) || text == QString::fromUtf8(kLookupCanceled))
                throw;
            // Any other lookup failure leaves the address 0, which is reported below.
            qCWarning(lcNet).noquote() << QStringLiteral("Recherche de l'hôte « %1 » : %2").arg(host_, text);
        }
        if (remoteAddress_ != 0)
            break;
        bool handled = false;
        if (attempts == 0 && OnInvalidHost)
            OnInvalidHost(this, handled);
        if (!handled)
            throw ESocketError(QStringLiteral("Adresse distante nulle"));
    }
    remotePort_ = qToBigEndian(port_);
    succeeded_ = true;
    if (socket_ == SocketApi::kNoSocket) {
        MakeFreshSocket(false);
        if (socket_ == SocketApi::kNoSocket)
            ThrowSocketError(SocketApi::LastError());
    }
    if (bindAddress_ != 0 && SocketApi::Bind(socket_, bindAddress_, 0) != 0) {
        const int error = SocketApi::LastError();
        ResetSocket();
        ThrowSocketError(error);
    }
    if (SocketApi::Connect(socket_, remoteAddress_, remotePort_) == 0) {
        connected_ = true;
        if (OnConnect)
            OnConnect(this);
    } else {
        const int error = SocketApi::LastError();
        if (error == SocketApi::kWouldBlock || error == SocketApi::kInProgress) {
            connecting_ = true;
        } else if (EndsConnectionAttempt(error)) {
            succeeded_ = false;
            lastError_ = error;
        } else {
            ResetSocket();
            ThrowSocketError(error);
        }
    }
    TimerStart();
    try {
        while (!connected_ && !timedOut_ && !canceled_ && succeeded_)
            WaitForEvent(kWritable, WaitKind::Connection);
    } catch (...) {
        TimerStop();
        ResetSocket();
        throw;
    }
    TimerStop();
    connecting_ = false;
    if (!timedOut_ && !canceled_ && succeeded_) {
        receivedBytes_ = 0;
        NoteProgress();
        ReArmRead();
        return;
    }
    // A half-made connection is dropped, so the component can connect again at once.
    ResetSocket();
    if (OnConnectionFailed)
        OnConnectionFailed(this);
    if (timedOut_)
        throw ESocketError(QStringLiteral("Temps dépassé pour la connexion"));
    if (canceled_)
        throw ESocketError(QStringLiteral("Connexion annulée"));
    throw ESocketError(QStringLiteral("La connection a échoué"));
}

void TSocketLink::ResetSocket()
{
    readNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
    connected_ = false;
    connecting_ = false;
    input_.clear();
    if (socket_ != SocketApi::kNoSocket)
        SocketApi::Close(socket_);
    socket_ = SocketApi::kNoSocket;
    if (!destroying_)
        MakeFreshSocket(false);
}

void TSocketLink::Disconnect()
{
    Report(QStringLiteral("Déconnection"), 8);
    CloseStep();
}

void TSocketLink::CloseStep()
{
    Report(QStringLiteral("Demande de fermeture de socket"), 4);
    connected_ = false;
    connecting_ = false;
    listening_ = false;
    input_.clear();
    readNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
    if (socket_ == SocketApi::kNoSocket) {
        if (!destroying_)
            MakeFreshSocket(false);
        return;
    }
    const int closed = SocketApi::Close(socket_);
    const int error = closed == 0 ? 0 : SocketApi::LastError();
    socket_ = SocketApi::kNoSocket;
    if (!destroying_)
        MakeFreshSocket(false);
    if (closed != 0) {
        if (error != SocketApi::kWouldBlock)
            ThrowSocketError(error);
        return;
    }
    if (!destroying_ && OnDisconnect)
        OnDisconnect(this);
}

void TSocketLink::PeerClosed()
{
    try {
        CloseStep();
    } catch (const ESocketError& error) {
        // The peer is gone either way; the handle has been released.
        qCWarning(lcNet).noquote() << QStringLiteral("Fermeture après le départ du correspondant : %1")
                                          .arg(error.Text());
    }
}

void TSocketLink::TakeOverSocket(SocketApi::Handle accepted, std::uint32_t peerAddress,
                                 std::uint16_t peerPort)
{
    readNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
    if (socket_ != SocketApi::kNoSocket)
        SocketApi::Close(socket_);
    socket_ = accepted;
    readNotifier_->setSocket(static_cast<qintptr>(socket_));
    writeNotifier_->setSocket(static_cast<qintptr>(socket_));
    remoteAddress_ = peerAddress;
    remotePort_ = peerPort;
    listening_ = false;
    input_.clear();
    receivedBytes_ = 0;
    connected_ = true;
}

