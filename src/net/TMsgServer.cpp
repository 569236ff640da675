#include "net/TMsgServer.h"

#include "net/MsgWire.h"
#include "net/NetLog.h"
#include "text/Windows1252.h"

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
    if (!frame) {
        qCWarning(lcNet).noquote() << QStringLiteral("Message de %1 illisible : connexion fermée sans réponse")
                                          .arg(RemoteAddress().toString());
        return;
    }
    arrivalNumber_ = NextArrivalNumber();
    qCInfo(lcNet).noquote() << QStringLiteral("Message reçu de %1 : %2 octets")
                                   .arg(RemoteAddress().toString())
                                   .arg(frame->message.size());
    const QByteArray acknowledgement = MsgWire::Acknowledgement();
    // The place is given up before the answer goes: a sender goes on with its next message as
    // soon as the answer arrives, and must not find its place still held. (Sixteen bytes fit
    // any socket's buffer; the sending is bounded by the exchange's limits all the same.)
    EndExchange();
    SendBuffer(acknowledgement.constData(), MsgWire::kAcknowledgementBytes);
    Replied();
    // The listening server's handler; a component serving on its own has only its own.
    auto* const listening = Server() ? qobject_cast<TMsgServer*>(Server()) : this;
    if (listening && listening->OnMessage)
        listening->OnMessage(this, Windows1252::Decode(frame->from), Windows1252::Decode(frame->message));
    WaitForPeerCloseAfterReply();
}
