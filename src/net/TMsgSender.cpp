#include "net/TMsgSender.h"

#include "net/ESocketError.h"
#include "net/MsgWire.h"
#include "net/NetLog.h"
#include "text/Windows1252.h"

TMsgSender::TMsgSender(QObject* owner) : TSocketLink(owner)
{
    SetPort(kDefaultPort);
}

void TMsgSender::ApplyLimit(int ms)
{
    if (ms > 0)
        SetWaitLimits(QDeadlineTimer(ms));
    else
        ClearWaitLimits();
}

void TMsgSender::WriteField(const QByteArray& bytes)
{
    // Written by count, so that a NUL inside a text travels with it instead of cutting the
    // field short of its announced length.
    const QByteArray field = MsgWire::Field(bytes);
    SendBuffer(field.constData(), static_cast<std::uint16_t>(field.size()));
}

QString TMsgSender::SendText(const QString& message)
{
    const QByteArray name = Windows1252::Encode(fromName_);
    const QByteArray text = Windows1252::Encode(message);
    // Four digits cannot announce more; a longer field would be misread by every receiver.
    if (name.size() > MsgWire::kMaxFieldBytes || text.size() > MsgWire::kMaxFieldBytes)
        throw ESocketError(QStringLiteral("Message trop long (plus de 9999 octets)"));

    ApplyLimit(connectLimitMs_);
    try {
        Connect();
    } catch (...) {
        ClearWaitLimits();
        throw;
    }
    ApplyLimit(replyLimitMs_);
    QByteArray reply;
    try {
        WriteField(name);
        WriteField(text);
        if (OnMessageSent)
            OnMessageSent(this);
        reply = Read(MsgWire::kAcknowledgementBytes);
    } catch (...) {
        ClearWaitLimits();
        try {
            Disconnect();
        } catch (const ESocketError& error) {
            // The send's own failure is the one to report.
            qCWarning(lcNet).noquote() << QStringLiteral("Fermeture après un envoi en échec : %1").arg(error.Text());
        }
        throw;
    }
    ClearWaitLimits();
    Disconnect();
    return Windows1252::Decode(reply);
}

void TMsgSender::Abort()
{
    Report(QStringLiteral("Abandonner"), 8);
    if (!Connected())
        return;
    Cancel();
    try {
        Disconnect();
    } catch (const ESocketError& error) {
        // The connection is dropped either way.
        qCWarning(lcNet).noquote() << QStringLiteral("Fermeture à l'abandon d'un envoi : %1").arg(error.Text());
    }
}
