// Any bytes as what a peer sends to the message server: the real exchange (Serve on a
// connection component, its reads, acknowledgement and close wait) runs over a socket pair
// whose far end has sent the bytes and closed its sending side. The outcome must match a
// direct reading of the frame: the acknowledgement and OnMessage exactly for a whole frame,
// with the fields as sent; nothing at all otherwise.
#include "net/ESocketError.h"
#include "net/MsgWire.h"
#include "net/TMsgServer.h"
#include "text/Windows1252.h"

#include <QCoreApplication>

#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {

struct Expected {
    QByteArray from;
    QByteArray message;
};

// The frame as the protocol defines it, read straight from the bytes.
std::optional<Expected> ReadDirectly(const QByteArray& bytes)
{
    qsizetype at = 0;
    const auto field = [&](QByteArray& out) {
        if (bytes.size() - at < 4)
            return false;
        const QByteArray digits = bytes.mid(at, 4);
        at += 4;
        const bool sign = digits[0] == '-' || digits[0] == '+';
        int value = 0;
        for (qsizetype i = sign ? 1 : 0; i < 4; ++i) {
            if (digits[i] < '0' || digits[i] > '9')
                return false;
            value = value * 10 + digits[i] - '0';
        }
        if (digits[0] == '-' || value == 0)
            return true;
        if (bytes.size() - at < value)
            return false;
        out = bytes.mid(at, value);
        at += value;
        return true;
    };
    Expected expected;
    if (!field(expected.from) || !field(expected.message))
        return std::nullopt;
    return expected;
}

QByteArray Drain(int fd)
{
    QByteArray got;
    char buffer[256];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;)
        got.append(buffer, n);
    return got;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Two whole fields and more; kept within what one socket buffer holds.
    if (size > 24'000)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        return 0;
    if (::send(pair[1], bytes.constData(), bytes.size(), MSG_NOSIGNAL) != bytes.size())
        std::abort();
    ::shutdown(pair[1], SHUT_WR);

    int delivered = 0;
    QString from;
    QString message;
    {
        TMsgServer server;
        server.TakeOverSocket(pair[0], 0, 0);
        server.OnMessage = [&](QObject*, const QString& sFrom, const QString& sMsg) {
            ++delivered;
            from = sFrom;
            message = sMsg;
        };
        try {
            server.Serve();
        } catch (const ESocketError&) {
            // A failed exchange ends like this on a connection thread too.
        }
    }
    const QByteArray answer = Drain(pair[1]);
    ::close(pair[1]);

    const std::optional<Expected> expected = ReadDirectly(bytes);
    if (!expected) {
        if (delivered != 0 || !answer.isEmpty())
            std::abort();
        return 0;
    }
    if (delivered != 1 || answer != MsgWire::Acknowledgement())
        std::abort();
    if (from != Windows1252::Decode(expected->from) || message != Windows1252::Decode(expected->message))
        std::abort();
    return 0;
}
