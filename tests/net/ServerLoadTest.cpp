// Load and fault test of the connection server: many clients at once, silent peers, resets at
// random points; afterwards the process holds no more threads or descriptors than before.
#include "EchoServer.h"
#include "LoopbackPeer.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace LoopbackPeer;

namespace {

QByteArray Request(int client, int exchange)
{
    return QByteArray::number(client * 1000 + exchange).rightJustified(EchoServer::kRequestSize, '.');
}

bool Exchange(int fd, const QByteArray& request)
{
    return SendAll(fd, request) && Receive(fd, EchoServer::kRequestSize, 5000) == EchoServer::ReplyTo(request);
}

// One connection with one exchange from a helper thread, while this thread serves.
bool OneExchange(std::uint16_t port, const QByteArray& request)
{
    std::atomic<int> result{-1};
    Thread client([&] {
        const int fd = Connect(port);
        result = Exchange(fd, request) ? 1 : 0;
        Close(fd);
    });
    PumpUntil([&] { return result >= 0; }, 5000);
    return result == 1;
}

}  // namespace

TEST(ServerLoad, ManyClientsSilentPeersAndResets_AllServedAndEverythingReleased)
{
    ServeStats stats;
    EchoServer server(&stats);
    server.ListenOnLoopback();
    const std::uint16_t port = server.LocalPort();
    const auto idle = [&] { return server.ClientCount() == 0 && server.ThreadCount() == 0; };

    // Warm-up, so that whatever the first connection makes once is in the baseline.
    ASSERT_TRUE(OneExchange(port, "echauffe"));
    ASSERT_TRUE(PumpUntil(idle, 3000));
    const int threadsBefore = ThreadCount();
    const int descriptorsBefore = DescriptorCount();

    // 32 clients at once, each from its own address as each computer of a class, 100 exchanges each.
    constexpr int kClients = 32;
    constexpr int kExchanges = 100;
    std::atomic<int> completed{0};
    std::atomic<int> clientsDone{0};
    {
        std::vector<std::unique_ptr<Thread>> clients;
        for (int c = 0; c < kClients; ++c)
            clients.push_back(std::make_unique<Thread>([&, c] {
                const int fd = ConnectFrom(QByteArray("127.0.0.").append(QByteArray::number(10 + c)).constData(), port);
                for (int e = 0; e < kExchanges && Exchange(fd, Request(c, e)); ++e)
                    ++completed;
                Close(fd);
                ++clientsDone;
            }));
        EXPECT_TRUE(PumpUntil([&] { return clientsDone == kClients; }, 30'000));
    }
    EXPECT_EQ(completed, kClients * kExchanges);
    EXPECT_GE(stats.maxLive, 2);

    // 100 silent connections arrive from one address while a client from another goes on
    // exchanging; that address holds at most its 16 places, the ones beyond are closed at once.
    std::atomic<bool> silentOpen{false};
    std::atomic<bool> stop{false};
    std::atomic<qint64> slowestMs{0};
    std::atomic<int> normalExchanges{0};
    std::vector<int> silent;
    int closedAtOnce = 0;
    int contacts = 0;
    server.OnClientContact = [&](QObject*) { ++contacts; };
    // The normal client's connection is accepted before the silent ones arrive.
    const int contactsBefore = 1;
    int maxClients = 0;
    {
        Thread normal([&] {
            const int fd = ConnectFrom("127.0.0.5", port);
            for (int e = 0; !stop && e < 10'000; ++e) {
                QElapsedTimer clock;
                clock.start();
                if (!Exchange(fd, Request(99, e)))
                    break;
                slowestMs = std::max<qint64>(slowestMs, clock.elapsed());
                ++normalExchanges;
                Sleep(2);
            }
            Close(fd);
        });
        Thread opener([&] {
            for (int i = 0; i < 500 && normalExchanges < 5; ++i)
                Sleep(2);
            for (int i = 0; i < 100; ++i)
                silent.push_back(Connect(port));
            silentOpen = true;
        });
        // Every silent connection has been taken from the backlog: accepted or closed at once.
        PumpUntil([&] {
            maxClients = std::max(maxClients, server.ClientCount());
            return silentOpen && contacts == contactsBefore + 100;
        }, 10'000);
        opener.Join();
        std::atomic<int> checked{-1};
        Thread checker([&] {
            int count = 0;
            for (const int fd : silent) {
                bool closed = false;
                ReceiveUntilClose(fd, 5, &closed);
                count += closed ? 1 : 0;
            }
            checked = count;
        });
        PumpUntil([&] { return checked >= 0; }, 5000);
        closedAtOnce = checked;
        const int before = normalExchanges;
        EXPECT_TRUE(PumpUntil([&] { return normalExchanges > before + 20; }, 5000));
        stop = true;
    }
    EXPECT_LE(maxClients, 17);
    EXPECT_EQ(closedAtOnce, 100 - 16);
    EXPECT_LT(slowestMs, 1000);
    for (const int fd : silent)
        Close(fd);
    EXPECT_TRUE(PumpUntil(idle, 5000));

    // Connections reset at random points of their exchanges.
    std::atomic<int> resetsDone{0};
    {
        std::vector<std::unique_ptr<Thread>> resetters;
        for (int t = 0; t < 8; ++t)
            resetters.push_back(std::make_unique<Thread>([&, t] {
                std::mt19937 random(1234 + t);
                for (int i = 0; i < 25; ++i) {
                    const int fd = Connect(port);
                    const int whole = std::uniform_int_distribution<int>(0, 3)(random);
                    for (int e = 0; e < whole; ++e)
                        Exchange(fd, Request(t, e));
                    const int part = std::uniform_int_distribution<int>(0, EchoServer::kRequestSize)(random);
                    SendAll(fd, Request(t, 9).left(part));
                    if (std::uniform_int_distribution<int>(0, 1)(random))
                        Sleep(1);
                    ResetClose(fd);
                    ++resetsDone;
                }
            }));
        EXPECT_TRUE(PumpUntil([&] { return resetsDone == 200; }, 20'000));
    }
    EXPECT_TRUE(PumpUntil(idle, 5000));
    EXPECT_TRUE(OneExchange(port, "encore.."));

    EXPECT_TRUE(PumpUntil([&] {
        return idle() && ThreadCount() == threadsBefore && DescriptorCount() == descriptorsBefore;
    }, 5000));
    EXPECT_EQ(ThreadCount(), threadsBefore);
    EXPECT_EQ(DescriptorCount(), descriptorsBefore);
}
