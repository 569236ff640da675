#include "net/SocketApi.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace SocketApi {

namespace {

sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port)
{
    sockaddr_in sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sin_family = AF_INET;
    sa.sin_port = port;
    sa.sin_addr.s_addr = address;
    return sa;
}

}  // namespace

bool Startup(QStringList& info)
{
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    info << QStringLiteral("Version= 1.1") << QStringLiteral("High Version= 1.1")
         << QStringLiteral("Description= Sockets BSD") << QStringLiteral("System= Prêt")
         << QStringLiteral("Max Sockets= ") + QString::number(files.rlim_cur)
         << QStringLiteral("Max Udp pack size= 65507");
    return true;
}

void Cleanup() {}

int FromPlatformError(int platformError)
{
    switch (platformError) {
    case 0: return 0;
    case EINTR: return 10004;
    case EBADF: return 10009;
    case EACCES:
    case EPERM: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE:
    case ENFILE: return kTooManyOpenFiles;
#if EAGAIN != EWOULDBLOCK
    case EAGAIN:
#endif
    case EWOULDBLOCK: return kWouldBlock;
    case EINPROGRESS: return kInProgress;
    case EALREADY: return kAlreadyInProgress;
    case ENOTSOCK: return 10038;
    case EDESTADDRREQ: return 10039;
    case EMSGSIZE: return 10040;
    case EPROTOTYPE: return 10041;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
#ifdef ESOCKTNOSUPPORT
    case ESOCKTNOSUPPORT: return 10044;
#endif
    case EOPNOTSUPP: return 10045;
#ifdef EPFNOSUPPORT
    case EPFNOSUPPORT: return 10046;
#endif
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return 10053;
    // The link never shuts its own sending side, so a broken pipe means the peer reset.
    case EPIPE:
    case ECONNRESET: return 10054;
    case ENOMEM:
    case ENOBUFS: return kNoBufferSpace;
    case EISCONN: return 10056;
    case ENOTCONN: return kNotConnected;
#ifdef ESHUTDOWN
    case ESHUTDOWN: return 10058;
#endif
#ifdef ETOOMANYREFS
    case ETOOMANYREFS: return 10059;
#endif
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case ELOOP: return 10062;
    case ENAMETOOLONG: return 10063;
#ifdef EHOSTDOWN
    case EHOSTDOWN: return 10064;
#endif
    case EHOSTUNREACH: return 10065;
    case ENOTEMPTY: return 10066;
#ifdef EPROCLIM
    case EPROCLIM: return 10067;
#endif
#ifdef EUSERS
    case EUSERS: return 10068;
#endif
    case EDQUOT: return 10069;
    case ESTALE: return 10070;
#ifdef EREMOTE
    case EREMOTE: return 10071;
#endif
    default: return kUnknownErrorBase + platformError;
    }
}

int LastError()
{
    return FromPlatformError(errno);
}

Handle CreateTcpSocket()
{
#ifdef SOCK_NONBLOCK
    return ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
#else
    const int s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s < 0)
        return kNoSocket;
    if (fcntl(s, F_SETFL, fcntl(s, F_GETFL) | O_NONBLOCK) != 0 || fcntl(s, F_SETFD, FD_CLOEXEC) != 0) {
        const int saved = errno;
        ::close(s);
        errno = saved;
        return kNoSocket;
    }
#ifdef SO_NOSIGPIPE
    int on = 1;
    setsockopt(s, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
#endif
    return s;
#endif
}

bool SetReuseAddress(Handle socket)
{
    int on = 1;
    return setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0;
}

int Close(Handle socket)
{
    return ::close(socket);
}

std::int64_t Send(Handle socket, const char* bytes, std::int64_t count)
{
#ifdef MSG_NOSIGNAL
    constexpr int kFlags = MSG_NOSIGNAL;
#else
    constexpr int kFlags = 0;  // SO_NOSIGPIPE is set on the socket instead
#endif
    for (;;) {
        const ssize_t sent = ::send(socket, bytes, static_cast<size_t>(count), kFlags);
        if (sent >= 0 || errno != EINTR)
            return sent;
    }
}

std::int64_t Receive(Handle socket, char* bytes, std::int64_t count, bool peek)
{
    for (;;) {
        const ssize_t got = ::recv(socket, bytes, static_cast<size_t>(count), peek ? MSG_PEEK : 0);
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

Handle Accept(Handle socket, std::uint32_t& peerAddress, std::uint16_t& peerPort)
{
    sockaddr_in peer;
    socklen_t length = sizeof peer;
    std::memset(&peer, 0, sizeof peer);
    for (;;) {
#ifdef SOCK_NONBLOCK
        const int s = ::accept4(socket, reinterpret_cast<sockaddr*>(&peer), &length,
                                SOCK_NONBLOCK | SOCK_CLOEXEC);
#else
        int s = ::accept(socket, reinterpret_cast<sockaddr*>(&peer), &length);
        if (s >= 0) {
            fcntl(s, F_SETFL, fcntl(s, F_GETFL) | O_NONBLOCK);
            fcntl(s, F_SETFD, FD_CLOEXEC);
#ifdef SO_NOSIGPIPE
            int on = 1;
            setsockopt(s, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
#endif
        }
#endif
        if (s < 0 && errno == EINTR)
            continue;
        if (s >= 0) {
            peerAddress = peer.sin_addr.s_addr;
            peerPort = peer.sin_port;
        }
        return s;
    }
}

bool SetLingerReset(Handle socket)
{
    linger reset{};
    reset.l_onoff = 1;
    reset.l_linger = 0;
    return setsockopt(socket, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&reset),
                      sizeof reset) == 0;
}

int Connect(Handle socket, std::uint32_t address, std::uint16_t port)
{
    const sockaddr_in sa = MakeAddress(address, port);
    return ::connect(socket, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0 ? 0 : -1;
}

int Bind(Handle socket, std::uint32_t address, std::uint16_t port)
{
    const sockaddr_in sa = MakeAddress(address, port);
    return ::bind(socket, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0 ? 0 : -1;
}

int Listen(Handle socket)
{
    // The system's largest backlog: senders that connect together while the program is busy
    // with a measurement wait in the queue instead of being turned away.
    return ::listen(socket, SOMAXCONN) == 0 ? 0 : -1;
}

int PendingError(Handle socket)
{
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0)
        return LastError();
    return FromPlatformError(error);
}

std::uint16_t LocalPort(Handle socket)
{
    sockaddr_in local;
    std::memset(&local, 0, sizeof local);
    socklen_t length = sizeof local;
    if (getsockname(socket, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return 0;
    return ntohs(local.sin_port);
}

std::uint32_t ParseDottedAddress(const QByteArray& text)
{
    return static_cast<std::uint32_t>(inet_addr(text.constData()));
}

}  // namespace SocketApi
