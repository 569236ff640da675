#include "TMainMsgServer.h"

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

void TMainMsgServer::MsgServer1Msg(QObject*, const QString&, const QString& sMsg)
{
    std::lock_guard lock(lastReceivedLock_);
    lastReceivedText_ = sMsg;
}

QString TMainMsgServer::LastReceivedText() const
{
    std::lock_guard lock(lastReceivedLock_);
    return lastReceivedText_;
}
