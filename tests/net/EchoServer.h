#pragma once

#include "net/TConnectionServer.h"

#include <QHostAddress>
#include <QThread>

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>

// What the echo exchanges of one listening server did, shared by its connections.
struct ServeStats {
    std::atomic<int> live{0};
    std::atomic<int> maxLive{0};
    std::atomic<int> replies{0};
    std::mutex lock;
    std::set<QThread*> threads;  // guarded by lock
};

// A test server: reads requests of 8 bytes and answers each with "R" and the request's first
// 7 bytes, until the peer closes. A request starting with "boom" makes Serve raise.
class EchoServer : public TConnectionServer {
public:
    static constexpr int kRequestSize = 8;

    explicit EchoServer(ServeStats* stats, QObject* owner = nullptr) : TConnectionServer(owner), stats_(stats) {}

    // Listens on a free loopback port.
    void ListenOnLoopback(const Limits& limits = {})
    {
        SetBindAddress(QHostAddress(QHostAddress::LocalHost));
        SetPort(0);
        SetServerLimits(limits);
        Loaded();
    }

    static QByteArray ReplyTo(const QByteArray& request) { return "R" + request.left(kRequestSize - 1); }

    void Serve() override
    {
        const int now = ++stats_->live;
        for (int seen = stats_->maxLive; now > seen && !stats_->maxLive.compare_exchange_weak(seen, now);) {
        }
        {
            std::lock_guard lock(stats_->lock);
            stats_->threads.insert(QThread::currentThread());
        }
        struct Leave {
            ServeStats* stats;
            ~Leave() { --stats->live; }
        } leave{stats_};
        for (;;) {
            const QByteArray request = Read(kRequestSize);
            if (request.size() < kRequestSize)
                return;
            if (request.startsWith("boom"))
                throw std::runtime_error("échange interrompu");
            const QByteArray reply = ReplyTo(request);
            SendBuffer(reply.constData(), kRequestSize);
            ++stats_->replies;
        }
    }

protected:
    std::unique_ptr<TConnectionServer> NewConnectionComponent() override
    {
        return std::make_unique<EchoServer>(stats_);
    }

private:
    ServeStats* stats_;
};
