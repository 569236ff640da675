#include "net/TMainMsgServer.h"

#include "net/SocketErrorTable.h"

TMainMsgServer::TMainMsgServer(QObject* owner, std::uint16_t port, const QHostAddress& bindAddress)
    : TMsgServer(owner)
{
    SetPort(port);
    SetBindAddress(bindAddress);
    OnMessage = [this](QObject* sender, const QString& sFrom, const QString& sMsg) {
        MsgServer1Msg(sender, sFrom, sMsg);
    };
    Loaded();
}

TMainMsgServer::~TMainMsgServer()
{
    StopServing();
}

void TMainMsgServer::MsgServer1Msg(QObject* sender, const QString&, const QString& sMsg)
{
    {
        std::lock_guard lock(lastReceivedLock_);
        lastReceivedText_ = sMsg;
    }
    // The peer as the connection saw it; the message's own name field is whatever the sender wrote.
    const auto* const connection = qobject_cast<const TMsgServer*>(sender);
    const quint64 number = connection ? connection->ArrivalNumber() : NextArrivalNumber();
    emit MessageReceived(connection ? connection->RemoteAddress().toString() : QString(), sMsg, number);
}

QString TMainMsgServer::ReceptionProblem() const
{
    if (Listening())
        return {};
    constexpr int kAddressInUse = 10048;
    if (ListenError() == kAddressInUse)
        return QStringLiteral("Réception réseau impossible : le port %1 est déjà utilisé").arg(Port());
    return QStringLiteral("Réception réseau impossible : %1").arg(SocketErrorTable::Format(ListenError()));
}

bool TMainMsgServer::ListenAgain()
{
    if (!Listening())
        Loaded();
    return Listening();
}

QString TMainMsgServer::LastReceivedText() const
{
    std::lock_guard lock(lastReceivedLock_);
    return lastReceivedText_;
}
