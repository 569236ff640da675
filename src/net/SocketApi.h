#pragma once

#include <QByteArray>
#include <QStringList>

#include <cstdint>

// The system's IPv4 stream sockets (BSD sockets), reduced to what the socket link needs. Every
// socket is non-blocking. Failures come back as the numbers of the socket error table (10035
// would block, 10061 refused, ...), whose texts are the ones users and peers know.
namespace SocketApi {

using Handle = int;
inline constexpr Handle kNoSocket = static_cast<Handle>(-1);

// Table numbers the link tests for.
inline constexpr int kWouldBlock = 10035;
inline constexpr int kInProgress = 10036;
inline constexpr int kAlreadyInProgress = 10037;
inline constexpr int kNotConnected = 10057;
inline constexpr int kTooManyOpenFiles = 10024;
inline constexpr int kNoBufferSpace = 10055;
// Platform errors with no entry in the table come back as this base plus the platform number.
inline constexpr int kUnknownErrorBase = 20000;

// Describes the socket library for the link's information lines; false when it cannot start.
bool Startup(QStringList& info);
void Cleanup();

// The table number of the calling thread's last failed socket call.
int LastError();
// The table number of a system error number (errno).
int FromPlatformError(int platformError);

// A non-blocking, close-on-exec IPv4 TCP socket, or kNoSocket (LastError tells why).
Handle CreateTcpSocket();
// Linger on with a time of 0: closing the socket resets the connection.
bool SetLingerReset(Handle socket);
// Lets a restarted program listen again at once on its port, never sharing a port in use.
bool SetReuseAddress(Handle socket);
int Close(Handle socket);

// All addresses and ports in network byte order. Results: 0 or -1 (LastError tells why).
int Connect(Handle socket, std::uint32_t address, std::uint16_t port);
int Bind(Handle socket, std::uint32_t address, std::uint16_t port);
int Listen(Handle socket);
Handle Accept(Handle socket, std::uint32_t& peerAddress, std::uint16_t& peerPort);
// The pending error of a socket (a connection attempt's outcome) as a table number, 0 if none.
int PendingError(Handle socket);
// The local port in host byte order, 0 when the socket is not bound.
std::uint16_t LocalPort(Handle socket);

// Bytes moved, or -1 (LastError tells why). Receive gives 0 when the peer has closed and
// nothing is pending; with `peek` the bytes stay pending. Writing to a connection that the
// peer has reset fails with an error, never with a signal.
std::int64_t Send(Handle socket, const char* bytes, std::int64_t count);
std::int64_t Receive(Handle socket, char* bytes, std::int64_t count, bool peek);

// A dotted IPv4 address in network byte order, or kNoAddress when the text is not one.
inline constexpr std::uint32_t kNoAddress = 0xFFFFFFFFu;
std::uint32_t ParseDottedAddress(const QByteArray& text);

}  // namespace SocketApi
