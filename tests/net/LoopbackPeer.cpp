#include "LoopbackPeer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace LoopbackPeer {

namespace {

sockaddr_in Loopback(std::uint16_t port)
{
    sockaddr_in sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return sa;
}

bool WaitReadable(int fd, int timeoutMs)
{
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) > 0;
}

}  // namespace

Listener::Listener()
{
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa = Loopback(0);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    ::listen(fd_, 128);
    socklen_t length = sizeof sa;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&sa), &length);
    port_ = ntohs(sa.sin_port);
}

Listener::~Listener()
{
    ::close(fd_);
}

int Listener::Accept(int timeoutMs)
{
    if (!WaitReadable(fd_, timeoutMs))
        return -1;
    return ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
}

std::uint16_t UnusedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa = Loopback(0);
    ::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    socklen_t length = sizeof sa;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &length);
    ::close(fd);
    return ntohs(sa.sin_port);
}

int Connect(std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in sa = Loopback(port);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int ConnectFrom(const char* from, std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in source = Loopback(0);
    ::inet_pton(AF_INET, from, &source.sin_addr);
    const sockaddr_in sa = Loopback(port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&source), sizeof source) != 0
        || ::connect(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t sent = ::send(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        done += sent;
    }
    return true;
}

QByteArray Receive(int fd, int count, int timeoutMs)
{
    QByteArray got;
    const QDeadlineTimer deadline(timeoutMs);
    while (got.size() < count && !deadline.hasExpired()) {
        if (!WaitReadable(fd, static_cast<int>(deadline.remainingTime())))
            break;
        char buffer[4096];
        const ssize_t n = ::recv(fd, buffer, std::min<size_t>(sizeof buffer, static_cast<size_t>(count - got.size())), 0);
        if (n <= 0)
            break;
        got.append(buffer, n);
    }
    return got;
}

QByteArray ReceiveUntilClose(int fd, int timeoutMs, bool* closed)
{
    QByteArray got;
    const QDeadlineTimer deadline(timeoutMs);
    if (closed)
        *closed = false;
    while (!deadline.hasExpired()) {
        if (!WaitReadable(fd, static_cast<int>(deadline.remainingTime())))
            break;
        char buffer[4096];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            if (closed)
                *closed = true;
            break;
        }
        got.append(buffer, n);
    }
    return got;
}

void ShutdownWrite(int fd)
{
    ::shutdown(fd, SHUT_WR);
}

void ResetClose(int fd)
{
    linger reset{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    ::close(fd);
}

void Close(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents();
        ::usleep(1000);
    }
    return true;
}

void Pump(int ms)
{
    PumpUntil([] { return false; }, ms);
}

int ThreadCount()
{
    return static_cast<int>(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

int DescriptorCount()
{
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot).size());
}

}  // namespace LoopbackPeer
