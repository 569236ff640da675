#include "TMsgServer.h"

#include "MsgWire.h"

#include <atomic>

quint64 TMsgServer::NextArrivalNumber()
{
    static std::atomic<quint64> messagesRead{0};
    return ++messagesRead;
}

TMsgServer::TMsgServer(QObject* owner) : TConnectionServer(owner)
{
    SetPort(kDefaultPort);
}

std::unique_ptr<TConnectionServer> TMsgServer::NewConnectionComponent()
{
    return std::make_unique<TMsgServer>();
}

void TMsgServer::Serve()
{
    const std::optional<MsgWire::Frame> frame =
        MsgWire::ReadFrame([this](int count) { return Read(static_cast<std::uint16_t>(count)); });
    if (!frame)
        return;
    arrivalNumber_ = NextArrivalNumber();
    const QByteArray acknowledgement = MsgWire::Acknowledgement();
    SendBuffer(acknowledgement.constData(), MsgWire::kAcknowledgementBytes);
    // The listening server's handler; a component serving on its own has only its own.
    auto* const listening = Server() ? qobject_cast<TMsgServer*>(Server()) : this;
    if (listening && listening->OnMessage)
        listening->OnMessage(this, MsgWire::FromWire(frame->from), MsgWire::FromWire(frame->message));
    WaitForPeerCloseAfterReply();
}
