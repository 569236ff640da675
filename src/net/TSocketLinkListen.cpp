// The listening side of the socket link.
#include "net/TSocketLink.h"

#include "net/ESocketAbort.h"
#include "net/ESocketError.h"
#include "net/NetLog.h"

#include <QSocketNotifier>
#include <QtEndian>

// ---- listening ----

void TSocketLink::SetBindAddress(const QHostAddress& address)
{
    bindAddress_ = qToBigEndian(address.toIPv4Address());
}

std::uint16_t TSocketLink::LocalPort() const
{
    return listening_ ? SocketApi::LocalPort(socket_) : 0;
}

void TSocketLink::Listen(bool secondChannel)
{
    Report(QStringLiteral("A l'écoute"), 8);
    if (socket_ == SocketApi::kNoSocket)
        MakeFreshSocket(false);
    waitDone_ = false;
    secondChannel_ = secondChannel;
    if (socket_ == SocketApi::kNoSocket) {
        listenError_ = SocketApi::LastError();
        return;
    }
    // Failures raise nothing: the server then never accepts, and ListenError says why, so that
    // its owner can say it and try again on a fresh socket.
    SocketApi::SetReuseAddress(socket_);
    if (SocketApi::Bind(socket_, bindAddress_, qToBigEndian(port_)) != 0 || SocketApi::Listen(socket_) != 0) {
        listenError_ = SocketApi::LastError();
        ResetSocket();
        return;
    }
    listenError_ = 0;
    listening_ = true;
    readNotifier_->setEnabled(true);
}

void TSocketLink::StopListening()
{
    if (!listening_)
        return;
    try {
        CloseStep();
    } catch (const ESocketError& error) {
        // The listening handle is released whatever close says.
        qCWarning(lcNet).noquote() << QStringLiteral("Fin de l'écoute : %1").arg(error.Text());
    }
}

SocketApi::Handle TSocketLink::Accept()
{
    Report(QStringLiteral("Acceptation"), 4);
    while (!waitDone_ && !canceled_) {
        if (!listening_)
            throw ESocketError(QStringLiteral("Acceptation annulée"));
        readNotifier_->setEnabled(true);
        WaitForEvent(kNone, WaitKind::Accept);
    }
    if (canceled_)
        throw ESocketError(QStringLiteral("Acceptation annulée"));
    if (!succeeded_)
        throw ESocketError(QStringLiteral("Erreur à la création de données"));
    waitDone_ = false;
    std::uint32_t peerAddress = 0;
    std::uint16_t peerPort = 0;
    const SocketApi::Handle accepted = SocketApi::Accept(socket_, peerAddress, peerPort);
    if (secondChannel_ && listening_)
        readNotifier_->setEnabled(true);
    if (accepted == SocketApi::kNoSocket)
        ThrowSocketError(SocketApi::LastError());
    remoteAddress_ = peerAddress;
    remotePort_ = peerPort;
    if (canceled_) {
        canceled_ = false;
        SocketApi::Close(accepted);
        throw ESocketAbort(QStringLiteral("Envoi de Socket abandonné"));
    }
    return accepted;
}
