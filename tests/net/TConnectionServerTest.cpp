#include "EchoServer.h"
#include "LoopbackPeer.h"
#include "MessageLog.h"
#include "QtPrinting.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace LoopbackPeer;

namespace {

bool Exchange(int fd, const QByteArray& request, int timeoutMs = 2000)
{
    return SendAll(fd, request) && Receive(fd, EchoServer::kRequestSize, timeoutMs) == EchoServer::ReplyTo(request);
}

bool ServerIdle(const TConnectionServer& server)
{
    return server.ClientCount() == 0 && server.ThreadCount() == 0;
}

}  // namespace

TEST(TConnectionServer, TwoClients_ServedInParallelOnTheirOwnThreads)
{
    ServeStats stats;
    EchoServer server(&stats);
    server.ListenOnLoopback();
    bool firstDone = false;
    bool secondDone = false;
    Thread clients([&] {
        const int first = Connect(server.LocalPort());
        const int second = Connect(server.LocalPort());
        // The first exchange stays open while the second is served.
        firstDone = Exchange(first, "premier.");
        secondDone = Exchange(second, "second..");
        Close(first);
        Close(second);
    });
    EXPECT_TRUE(PumpUntil([&] { return ServerIdle(server) && stats.replies == 2; }, 5000));
    clients.Join();
    EXPECT_TRUE(firstDone);
    EXPECT_TRUE(secondDone);
    EXPECT_EQ(stats.maxLive, 2);
    EXPECT_EQ(stats.threads.size(), 2u);
    EXPECT_EQ(stats.threads.count(QThread::currentThread()), 0u);
}

TEST(TConnectionServer, SilentPeer_DoesNotHoldUpOthers)
{
    ServeStats stats;
    EchoServer server(&stats);
    server.ListenOnLoopback();
    const int silent = Connect(server.LocalPort());
    ASSERT_TRUE(PumpUntil([&] { return server.ClientCount() == 1; }, 2000));
    qint64 elapsed = -1;
    Thread client([&] {
        QElapsedTimer clock;
        clock.start();
        const int fd = Connect(server.LocalPort());
        if (Exchange(fd, "normal.."))
            elapsed = clock.elapsed();
        Close(fd);
    });
    EXPECT_TRUE(PumpUntil([&] { return stats.replies == 1; }, 3000));
    client.Join();
    EXPECT_GE(elapsed, 0);
    EXPECT_LT(elapsed, 1000);
    // The normal connection is released once its thread has ended; the silent one stays.
    EXPECT_TRUE(PumpUntil([&] { return server.ClientCount() == 1; }, 3000));
    Close(silent);
    EXPECT_TRUE(PumpUntil([&] { return ServerIdle(server); }, 3000));
}

TEST(TConnectionServer, OnClientContact_OncePerConnectionAfterItsThreadStarted)
{
    ServeStats stats;
    EchoServer server(&stats);
    int contacts = 0;
    int servedBeforeContact = 0;
    server.OnClientContact = [&](QObject* sender) {
        EXPECT_EQ(sender, &server);
        ++contacts;
        // This thread is held here: only a started connection thread can enter Serve.
        QElapsedTimer clock;
        clock.start();
        while (stats.live < contacts && clock.elapsed() < 2000)
            Sleep(1);
        if (stats.live >= contacts)
            ++servedBeforeContact;
    };
    server.ListenOnLoopback();
    int fds[3];
    for (int& fd : fds) {
        fd = Connect(server.LocalPort());
        const int expected = static_cast<int>(&fd - fds) + 1;
        ASSERT_TRUE(PumpUntil([&] { return contacts == expected; }, 3000));
    }
    Pump(50);
    EXPECT_EQ(contacts, 3);
    EXPECT_EQ(servedBeforeContact, 3);
    for (const int fd : fds)
        Close(fd);
    EXPECT_TRUE(PumpUntil([&] { return ServerIdle(server); }, 3000));
}

TEST(TConnectionServer, ClientList_EmptiedAsEachConnectionEnds)
{
    ServeStats stats;
    EchoServer server(&stats);
    server.ListenOnLoopback();
    for (const bool reset : {false, true, false}) {
        const int fd = Connect(server.LocalPort());
        ASSERT_TRUE(PumpUntil([&] { return server.ClientCount() == 1; }, 2000));
        if (reset)
            ResetClose(fd);
        else
            Close(fd);
        EXPECT_TRUE(PumpUntil([&] { return ServerIdle(server); }, 2000)) << reset;
    }
}

TEST(TConnectionServer, ExceptionInServe_EndsOnlyThatConnection)
{
    ServeStats stats;
    EchoServer server(&stats);
    server.ListenOnLoopback();
    bool failedClosed = false;
    bool otherServed = false;
    Thread clients([&] {
        const int other = Connect(server.LocalPort());
        const int failing = Connect(server.LocalPort());
        SendAll(failing, "boom....");
        ReceiveUntilClose(failing, 2000, &failedClosed);
        otherServed = Exchange(other, "toujours");
        Close(failing);
        Close(other);
    });
    EXPECT_TRUE(PumpUntil([&] { return stats.replies == 1 && ServerIdle(server); }, 5000));
    clients.Join();
    EXPECT_TRUE(failedClosed);
    EXPECT_TRUE(otherServed);
}

TEST(TConnectionServer, SecondServerOnAPortInUse_ReceivesNothing)
{
    ServeStats stats;
    ServeStats secondStats;
    EchoServer first(&stats);
    first.ListenOnLoopback();
    EchoServer second(&secondStats);
    int secondContacts = 0;
    second.OnClientContact = [&](QObject*) { ++secondContacts; };
    second.SetBindAddress(QHostAddress(QHostAddress::LocalHost));
    second.SetPort(first.LocalPort());
    second.Loaded();
    EXPECT_EQ(second.LocalPort(), 0);
    bool served = false;
    Thread client([&] {
        const int fd = Connect(first.LocalPort());
        served = Exchange(fd, "lequel?.");
        Close(fd);
    });
    EXPECT_TRUE(PumpUntil([&] { return stats.replies == 1; }, 3000));
    client.Join();
    EXPECT_TRUE(served);
    EXPECT_EQ(secondContacts, 0);
    EXPECT_EQ(secondStats.replies, 0);
}

TEST(TConnectionServer, Limits_EndConnectionsThatHoldTheServer)
{
    struct Case {
        const char* name;
        TConnectionServer::Limits limits;
        int minMs;
        int maxMs;
        QString journal;  // what the journal says of it
    };
    // Each case: one peer that never completes a request; when is it closed by the server?
    const Case cases[] = {
        {"sans progrès", {64, 300, 30'000, 5'000}, 250, 2000,
         QStringLiteral("lecture arrêtée, plus rien reçu pendant 0,3 s (0 octet(s) reçu(s))")},
        {"trop long", {64, 10'000, 600, 5'000}, 550, 2500, QStringLiteral("lecture arrêtée, échange plus long que 0,6 s")},
    };
    for (const Case& c : cases) {
        MessageLog log;
        ServeStats stats;
        EchoServer server(&stats);
        server.ListenOnLoopback(c.limits);
        std::atomic<qint64> closedAfter{-1};
        Thread peer([&] {
            QElapsedTimer clock;
            clock.start();
            const int fd = Connect(server.LocalPort());
            bool closed = false;
            // A byte every 100 ms keeps the exchange moving without ever finishing a request.
            for (int i = 0; i < 40 && !closed; ++i) {
                if (std::string_view(c.name) == "trop long")
                    SendAll(fd, "x");
                ReceiveUntilClose(fd, 100, &closed);
            }
            if (closed)
                closedAfter = clock.elapsed();
            Close(fd);
        });
        EXPECT_TRUE(PumpUntil([&] { return closedAfter >= 0 && ServerIdle(server); }, 6000)) << c.name;
        peer.Join();
        EXPECT_GE(closedAfter, c.minMs) << c.name;
        EXPECT_LT(closedAfter, c.maxMs) << c.name;
        const QStringList interrupted = log.Lines().filter(QStringLiteral("Echange avec 127.0.0.1 interrompu : "));
        ASSERT_EQ(interrupted.size(), 1) << c.name;
        EXPECT_TRUE(interrupted[0].contains(c.journal)) << interrupted[0].toStdString();
    }
}

TEST(TConnectionServer, Limits_PerAddressAndInAll_SilentPeersTurnAwayOnlyWhatTheLimitsSay)
{
    struct Case {
        const char* name;
        TConnectionServer::Limits limits;
        std::vector<std::pair<const char*, int>> silent;  // address, connections that send nothing
        int held;
        bool otherServed;  // a connection from yet another address, afterwards
    };
    const Case cases[] = {
        // One computer opens more than its share: the rest of its connections are closed at
        // once, and another computer is served while it holds its places.
        {"une adresse", {64, 10'000, 30'000, 5'000, 4}, {{"127.0.0.2", 10}}, 4, true},
        {"deux adresses", {64, 10'000, 30'000, 5'000, 4}, {{"127.0.0.2", 6}, {"127.0.0.3", 5}}, 8, true},
        // Several computers fill every place: the limit in all still holds.
        {"toutes les places", {6, 10'000, 30'000, 5'000, 4}, {{"127.0.0.2", 4}, {"127.0.0.3", 4}}, 6, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ServeStats stats;
        EchoServer server(&stats);
        server.ListenOnLoopback(c.limits);
        int contacts = 0;
        server.OnClientContact = [&](QObject*) { ++contacts; };
        std::vector<int> silent;
        for (const auto& [address, count] : c.silent)
            for (int i = 0; i < count; ++i)
                silent.push_back(ConnectFrom(address, server.LocalPort()));
        ASSERT_TRUE(PumpUntil([&] { return contacts == static_cast<int>(silent.size()); }, 5000));
        EXPECT_EQ(server.ClientCount(), c.held);
        int closed = 0;
        for (const int fd : silent) {
            bool wasClosed = false;
            ReceiveUntilClose(fd, 20, &wasClosed);
            closed += wasClosed ? 1 : 0;
        }
        EXPECT_EQ(closed, static_cast<int>(silent.size()) - c.held);

        std::atomic<int> served{-1};
        Thread other([&] {
            const int fd = ConnectFrom("127.0.0.9", server.LocalPort());
            served = Exchange(fd, "autre...") ? 1 : 0;
            Close(fd);
        });
        EXPECT_TRUE(PumpUntil([&] { return served >= 0; }, 5000));
        other.Join();
        EXPECT_EQ(served == 1, c.otherServed);
        for (const int fd : silent)
            Close(fd);
        EXPECT_TRUE(PumpUntil([&] { return ServerIdle(server); }, 5000));
    }
}

TEST(TConnectionServer, Limits_ConnectionBeyondTheMostLiveIsClosedAtOnce)
{
    ServeStats stats;
    EchoServer server(&stats);
    server.ListenOnLoopback({2, 10'000, 30'000, 5'000});
    const int first = Connect(server.LocalPort());
    const int second = Connect(server.LocalPort());
    ASSERT_TRUE(PumpUntil([&] { return server.ClientCount() == 2; }, 2000));
    const int third = Connect(server.LocalPort());
    std::atomic<bool> thirdClosed{false};
    Thread peer([&] {
        bool closed = false;
        ReceiveUntilClose(third, 2000, &closed);
        thirdClosed = closed;
    });
    EXPECT_TRUE(PumpUntil([&] { return thirdClosed.load(); }, 3000));
    peer.Join();
    EXPECT_EQ(server.ClientCount(), 2);
    for (const int fd : {first, second, third})
        Close(fd);
    EXPECT_TRUE(PumpUntil([&] { return ServerIdle(server); }, 3000));
}

TEST(TConnectionServer, Destroying_CancelsLiveConnectionsAndWaitsForTheirThreads)
{
    ServeStats stats;
    auto server = std::make_unique<EchoServer>(&stats);
    server->ListenOnLoopback();
    int fds[5];
    for (int& fd : fds)
        fd = Connect(server->LocalPort());
    ASSERT_TRUE(PumpUntil([&] { return server->ClientCount() == 5 && stats.live == 5; }, 3000));
    QElapsedTimer clock;
    clock.start();
    server.reset();
    EXPECT_LT(clock.elapsed(), 2500);
    EXPECT_EQ(stats.live, 0);
    for (const int fd : fds) {
        bool closed = false;
        ReceiveUntilClose(fd, 2000, &closed);
        EXPECT_TRUE(closed);
        Close(fd);
    }
}
