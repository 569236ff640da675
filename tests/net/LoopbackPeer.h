#pragma once

#include <QByteArray>

#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

// Plain blocking loopback sockets for the far end of network tests, used from helper
// threads so that the component under test keeps the test's thread and its event loop.
// Every call has a time limit; nothing here touches an address outside 127.0.0.0/8.
namespace LoopbackPeer {

// A listening socket on 127.0.0.1 and a free port.
class Listener {
public:
    Listener();
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;
    std::uint16_t Port() const { return port_; }
    // An accepted connection, or -1 when none came within `timeoutMs`.
    int Accept(int timeoutMs = 5000);

private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

// A loopback port on which nothing listens.
std::uint16_t UnusedPort();
// A blocking connection to 127.0.0.1:port, or -1.
int Connect(std::uint16_t port);
// The same from another loopback address ("127.0.0.7"), as another computer would come.
int ConnectFrom(const char* from, std::uint16_t port);
bool SendAll(int fd, const QByteArray& bytes);
// Up to `count` bytes: fewer when the peer closes or the time runs out.
QByteArray Receive(int fd, int count, int timeoutMs = 5000);
// Everything until the peer closes (or the time runs out); `closed` tells which.
QByteArray ReceiveUntilClose(int fd, int timeoutMs, bool* closed = nullptr);
// Ends the sending side: the peer sees the close while replies can still come back.
void ShutdownWrite(int fd);
// Closes so that the peer sees a reset.
void ResetClose(int fd);
void Close(int fd);

// Runs the calling thread's event loop until `done` holds or `timeoutMs` passes.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs);
void Pump(int ms);

// Live threads and open descriptors of this process.
int ThreadCount();
int DescriptorCount();

// A helper thread that is always joined.
class Thread {
public:
    explicit Thread(std::function<void()> work) : thread_(std::move(work)) {}
    ~Thread() { Join(); }
    void Join()
    {
        if (thread_.joinable())
            thread_.join();
    }

private:
    std::thread thread_;
};

inline void Sleep(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace LoopbackPeer
