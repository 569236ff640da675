// The socket link's transfers: sending buffers and texts, reading counts and lines.
#include "net/TSocketLink.h"

#include "net/ESocketAbort.h"
#include "net/ESocketError.h"

#include <QSocketNotifier>

#include <cstring>
#include <utility>

namespace {
const char* const kSendAborted = "Envoi de Socket abandonné";
}  // namespace

void TSocketLink::SendBuffer(const char* bytes, std::uint16_t count)
{
    Report(QStringLiteral("Envoi du tampon"), 4);
    TimerStart();
    try {
        if (!canceled_) {
            std::int64_t remaining = count;
            if (count == 0) {
                remaining = static_cast<std::int64_t>(qstrnlen(bytes, kBufferSize));
                if (remaining == kBufferSize)
                    throw ESocketError(QStringLiteral("Texte trop long pour un envoi (plus de 65535 octets)"));
            }
            while (remaining > 0 && !canceled_) {
                const std::int64_t sent = SocketApi::Send(socket_, bytes, remaining);
                if (sent == 0)
                    break;
                if (sent > 0) {
                    bytes += sent;
                    remaining -= sent;
                    NoteProgress();
                    continue;
                }
                const int error = SocketApi::LastError();
                if (error != SocketApi::kWouldBlock)
                    ThrowSocketError(error);
                WaitForEvent(kWritable, WaitKind::Sending);
            }
        }
        if (canceled_) {
            canceled_ = false;
            throw ESocketAbort(QString::fromUtf8(kSendAborted));
        }
    } catch (...) {
        TimerStop();
        throw;
    }
    TimerStop();
}

void TSocketLink::Write(const QByteArray& text)
{
    Report(QStringLiteral("Ecriture"), 8);
    const qsizetype nul = text.indexOf('\0');
    const qsizetype length = nul < 0 ? text.size() : nul;
    if (length >= kBufferSize)
        throw ESocketError(QStringLiteral("Texte trop long pour un envoi (plus de 65535 octets)"));
    std::memcpy(transfer_.data(), text.constData(), static_cast<size_t>(length));
    transfer_[length] = '\0';
    SendBuffer(transfer_.constData(), 0);
}

void TSocketLink::Writeln(const QByteArray& text)
{
    Report(QStringLiteral("Writeln"), 8);
    Write(text + "\r\n");
}

QByteArray TSocketLink::Read(std::uint16_t count)
{
    Report(QStringLiteral("Read( %1 )").arg(count), 8);
    if (count == 0) {
        const std::int64_t got = SocketApi::Receive(socket_, transfer_.data(), kBufferSize, false);
        if (got < 0) {
            const int error = SocketApi::LastError();
            if (error != SocketApi::kWouldBlock)
                ThrowSocketError(error);
        }
        if (canceled_) {
            canceled_ = false;
            throw ESocketAbort(QString::fromUtf8(kSendAborted));
        }
        if (got > 0) {
            input_.append(transfer_.constData(), got);
            NoteReceived(got);
        }
        ReArmRead();
        return std::exchange(input_, {});
    }
    for (;;) {
        if (canceled_) {
            canceled_ = false;
            throw ESocketAbort(QString::fromUtf8(kSendAborted));
        }
        if (input_.size() >= count)
            break;
        const std::int64_t got = SocketApi::Receive(socket_, transfer_.data(), count - input_.size(), false);
        if (got > 0) {
            input_.append(transfer_.constData(), got);
            NoteReceived(got);
            continue;
        }
        if (got == 0) {
            // The peer has closed: what has come is all there will be.
            QByteArray cut = std::exchange(input_, {});
            PeerClosed();
            return cut;
        }
        const int error = SocketApi::LastError();
        if (error != SocketApi::kWouldBlock)
            ThrowSocketError(error);
        WaitForEvent(kReadable, WaitKind::Reading);
    }
    QByteArray result = input_.left(count);
    input_.remove(0, count);
    ReArmRead();
    return result;
}

QByteArray TSocketLink::ReadLn()
{
    Report(QStringLiteral("ReadLn"), 8);
    TimerStart();
    QByteArray line = std::exchange(input_, {});
    try {
        for (;;) {
            const qsizetype feed = line.indexOf('\n');
            if (feed >= 0) {
                input_ = line.mid(feed + 1);
                line.truncate(feed + 1);
                break;
            }
            // A line this long is handed over as it is rather than gathered without end.
            if (line.size() >= kBufferSize)
                break;
            if (canceled_) {
                canceled_ = false;
                input_ = std::exchange(line, {});
                throw ESocketAbort(QStringLiteral("ReadLn de Socket abandonnée"));
            }
            const std::int64_t peeked =
                SocketApi::Receive(socket_, transfer_.data(), kBufferSize - line.size(), true);
            if (peeked > 0) {
                const void* found = std::memchr(transfer_.constData(), '\n', static_cast<size_t>(peeked));
                const std::int64_t wanted =
                    found ? static_cast<const char*>(found) - transfer_.constData() + 1 : peeked;
                const std::int64_t got = SocketApi::Receive(socket_, transfer_.data(), wanted, false);
                if (got > 0) {
                    line.append(transfer_.constData(), got);
                    NoteReceived(got);
                }
                continue;
            }
            if (peeked == 0) {
                PeerClosed();
                break;
            }
            const int error = SocketApi::LastError();
            if (error == SocketApi::kNotConnected)
                break;
            if (error != SocketApi::kWouldBlock) {
                input_ = std::exchange(line, {});
                ThrowSocketError(error);
            }
            WaitForEvent(kReadable, WaitKind::Reading);
        }
    } catch (...) {
        TimerStop();
        throw;
    }
    TimerStop();
    ReArmRead();
    return line;
}

QByteArray TSocketLink::Transaction(const QByteArray& text)
{
    Report(QStringLiteral("Transaction"), 8);
    replyNumber_ = 0;
    Writeln(text);
    lastReply_ = ReadLn();
    if (!lastReply_.isEmpty()) {
        Report(QString::fromLatin1(lastReply_), 1);
        qsizetype digits = 0;
        while (digits < lastReply_.size() && digits < 10 && lastReply_[digits] >= '0' && lastReply_[digits] <= '9')
            ++digits;
        if (digits > 0) {
            const qint64 number = lastReply_.left(digits).toLongLong();
            if (number > 32767)
                throw ESocketError(QStringLiteral("Numéro de réponse hors limites : ") + QString::number(number));
            replyNumber_ = static_cast<std::int16_t>(number);
        }
    }
    return lastReply_;
}

bool TSocketLink::DataAvailable()
{
    Report(QStringLiteral("Données disponibles"), 8);
    if (!input_.isEmpty())
        return true;
    return SocketApi::Receive(socket_, transfer_.data(), 1, true) > 0;
}

bool TSocketLink::WaitForPeerClose()
{
    while (connected_ && !canceled_ && !timedOut_ && !WaitLimitPassed()) {
        const std::int64_t got = SocketApi::Receive(socket_, transfer_.data(), kBufferSize, false);
        if (got > 0)
            continue;  // what the peer still sends after the exchange is dropped
        if (got == 0) {
            PeerClosed();
            return true;
        }
        if (SocketApi::LastError() != SocketApi::kWouldBlock)
            return true;  // reset or broken: there is no close left to wait for
        WaitForEvent(kReadable, WaitKind::PeerClose);
    }
    return !connected_;
}
