#pragma once

#include "net/MsgWire.h"
#include "net/TSocketLink.h"

// Sends one text message per call to the message server of another copy of the program (or
// of this one, at 127.0.0.1): connect, name field, message field, 16-byte acknowledgement,
// close.
class TMsgSender : public TSocketLink {
    Q_OBJECT

public:
    static constexpr std::uint16_t kDefaultPort = MsgWire::kPort;

    explicit TMsgSender(QObject* owner = nullptr);

    QString FromName() const { return fromName_; }
    void SetFromName(const QString& name) { fromName_ = name; }
    // Fired after both fields have been written, before the acknowledgement is read.
    TNotifyEvent OnMessageSent;

    // One whole exchange with Host:Port; returns the reply as received. Raises ESocketError
    // (or ESocketAbort) when connecting, writing or reading fails, and ESocketError
    // "Message trop long (plus de 9999 octets)" before connecting when the name or the message
    // takes more than 9 999 bytes. An orderly close instead of the acknowledgement gives an
    // empty reply. The connection is closed in every case.
    QString SendText(const QString& message);
    // Connected: cancels the pending wait and closes the connection. Otherwise nothing.
    void Abort() override;

    // Time limits in ms (0: none): for resolving and connecting together, and for writing
    // and the acknowledgement together. Past them the send raises.
    void SetConnectLimit(int ms) { connectLimitMs_ = ms; }
    void SetReplyLimit(int ms) { replyLimitMs_ = ms; }
    int ConnectLimit() const { return connectLimitMs_; }
    int ReplyLimit() const { return replyLimitMs_; }

private:
    void ApplyLimit(int ms);
    void WriteField(const QByteArray& bytes);

    QString fromName_;
    int connectLimitMs_ = 0;
    int replyLimitMs_ = 0;
};
