#include "LoopbackPeer.h"
#include "net/ESocketAbort.h"
#include "net/ESocketError.h"
#include "net/SocketApi.h"
#include "net/SocketErrorTable.h"
#include "net/TSocketLink.h"
#include "net/TWaitTimer.h"
#include "QtPrinting.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <stdexcept>

using namespace LoopbackPeer;

namespace {

// A link whose host lookups are scripted: every lookup fails at once, or never answers.
class ScriptedLookupLink : public TSocketLink {
public:
    enum class Mode { Fail, NeverAnswer };
    explicit ScriptedLookupLink(Mode mode) : mode_(mode) {}
    int lookups = 0;

protected:
    void StartHostLookup(const QString&) override
    {
        ++lookups;
        if (mode_ == Mode::Fail)
            QTimer::singleShot(0, this, [this] { HostLookupFinished(false, 0); });
    }

private:
    Mode mode_;
};

QString ErrorText(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const ESocketError& error) {
        return error.Text();
    }
    return QStringLiteral("(pas d'erreur)");
}

// A client link connected to a fresh loopback listener; `peer` is the accepted far end.
struct Connected {
    Listener listener;
    TSocketLink link;
    int peer = -1;
    Connected()
    {
        link.SetHost(QStringLiteral("127.0.0.1"));
        link.SetPort(listener.Port());
        link.Connect();
        peer = listener.Accept();
    }
    ~Connected() { Close(peer); }
};

}  // namespace

TEST(TSocketLink, Connect_NoListener_FiresConnectionFailedThenRaises)
{
    TSocketLink link;
    QStringList events;
    link.OnConnectionFailed = [&](QObject* sender) {
        EXPECT_EQ(sender, &link);
        events << QStringLiteral("échec");
    };
    link.SetHost(QStringLiteral("127.0.0.1"));
    link.SetPort(UnusedPort());
    const QString text = ErrorText([&] { link.Connect(); });
    events << text;
    EXPECT_EQ(events, QStringList({QStringLiteral("échec"), QStringLiteral("La connection a échoué")}));
    EXPECT_FALSE(link.Connected());
    EXPECT_EQ(link.LastError(), 10061);
}

TEST(TSocketLink, Connect_UnresolvableName_OneMoreLookupOnlyWhenHandled)
{
    struct Case {
        bool handler;
        bool handled;
        int lookups;
    };
    for (const Case c : {Case{false, false, 1}, Case{true, false, 1}, Case{true, true, 2}}) {
        ScriptedLookupLink link(ScriptedLookupLink::Mode::Fail);
        link.SetHost(QStringLiteral("nom-introuvable"));
        link.SetPort(UnusedPort());
        int calls = 0;
        if (c.handler)
            link.OnInvalidHost = [&](QObject*, bool& handled) {
                ++calls;
                handled = c.handled;
            };
        EXPECT_EQ(ErrorText([&] { link.Connect(); }), QStringLiteral("Adresse distante nulle"));
        EXPECT_EQ(link.lookups, c.lookups);
        EXPECT_EQ(calls, c.handler ? 1 : 0);
    }
}

TEST(TSocketLink, Connect_InvalidHostHandlerMayChangeHost)
{
    Listener listener;
    ScriptedLookupLink link(ScriptedLookupLink::Mode::Fail);
    link.SetHost(QStringLiteral("nom-introuvable"));
    link.SetPort(listener.Port());
    link.OnInvalidHost = [&](QObject*, bool& handled) {
        link.SetHost(QStringLiteral("127.0.0.1"));
        handled = true;
    };
    link.Connect();
    EXPECT_TRUE(link.Connected());
    EXPECT_EQ(link.lookups, 1);
    Close(listener.Accept());
}

TEST(TSocketLink, Connect_WhileConnected_RaisesAndKeepsConnection)
{
    Connected c;
    EXPECT_EQ(ErrorText([&] { c.link.Connect(); }), QStringLiteral("Déjà connecté"));
    EXPECT_TRUE(c.link.Connected());
    c.link.Write("encore");
    EXPECT_EQ(Receive(c.peer, 6), QByteArray("encore"));
}

TEST(TSocketLink, Connect_LocalhostByName_ResolvesThroughTheSystem)
{
    Listener listener;
    TSocketLink link;
    int resolved = 0;
    link.OnHostResolved = [&](QObject*) { ++resolved; };
    link.SetHost(QStringLiteral("localhost"));
    link.SetPort(listener.Port());
    link.Connect();
    EXPECT_TRUE(link.Connected());
    EXPECT_EQ(resolved, 1);
    EXPECT_EQ(link.RemoteAddress().toString(), QStringLiteral("127.0.0.1"));
    Close(listener.Accept());
}

TEST(TSocketLink, Read_FourSingleByteWrites_ReturnsAllFour)
{
    Connected c;
    Thread writer([&] {
        for (const char byte : QByteArray("abcd")) {
            Sleep(30);
            SendAll(c.peer, QByteArray(1, byte));
        }
    });
    EXPECT_EQ(c.link.Read(4), QByteArray("abcd"));
}

TEST(TSocketLink, Read_PeerClosesWithNothingPending_ReturnsEmptyWithoutError)
{
    Connected c;
    int disconnects = 0;
    c.link.OnDisconnect = [&](QObject*) { ++disconnects; };
    Thread closer([&] {
        Sleep(50);
        Close(std::exchange(c.peer, -1));
    });
    EXPECT_EQ(c.link.Read(4), QByteArray());
    EXPECT_FALSE(c.link.Connected());
    EXPECT_EQ(disconnects, 1);
}

TEST(TSocketLink, Read_PeerClosesAfterPartOfTheCount_ReturnsWhatCame)
{
    Connected c;
    SendAll(c.peer, "ab");
    Close(std::exchange(c.peer, -1));
    EXPECT_EQ(c.link.Read(4), QByteArray("ab"));
    EXPECT_FALSE(c.link.Connected());
}

TEST(TSocketLink, Write_TextWithNul_SendsOnlyTheBytesBeforeIt)
{
    Connected c;
    c.link.Write(QByteArray("ab\0cd", 5));
    c.link.Disconnect();
    EXPECT_EQ(ReceiveUntilClose(c.peer, 2000), QByteArray("ab"));
}

TEST(TSocketLink, Write_MoreThan65535Bytes_Refused)
{
    Connected c;
    EXPECT_EQ(ErrorText([&] { c.link.Write(QByteArray(70'000, 'x')); }),
              QStringLiteral("Texte trop long pour un envoi (plus de 65535 octets)"));
}

TEST(TSocketLink, Write_PeerHasReset_RaisesSocketErrorInsteadOfEndingTheProgram)
{
    Connected c;
    ResetClose(std::exchange(c.peer, -1));
    QString text;
    for (int i = 0; i < 50 && text.isEmpty(); ++i) {
        try {
            c.link.Write(QByteArray(1000, 'x'));
            Sleep(10);
        } catch (const ESocketError& error) {
            text = error.Text();
        }
    }
    EXPECT_EQ(text, QStringLiteral("10054:Connection reset by peer"));
}

TEST(TSocketLink, ErrorTexts_FromTableNumbers)
{
    TSocketLink link;
    const struct {
        int number;
        const char* text;
    } cases[] = {
        {10061, "10061:Connection refused"},
        {10100, "N° d'erreur inconnu 10100"},
        {10054, "10054:Connection reset by peer"},
        {10004, "10004:Interrupted system call"},
        {11004, "11004:Valid name, no data record of requested type"},
        {0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(link.SocketErrorText(c.number), QString::fromUtf8(c.text)) << c.number;
}

TEST(TSocketLink, ErrorNumbers_PlatformErrorsMapToTheTable)
{
    const struct {
        int platform;
        int number;
    } cases[] = {
        {ECONNREFUSED, 10061}, {ECONNRESET, 10054}, {ETIMEDOUT, 10060}, {ENETUNREACH, 10051},
        {EHOSTUNREACH, 10065}, {EADDRINUSE, 10048}, {EWOULDBLOCK, 10035}, {ENOTCONN, 10057},
        {EPIPE, 10054},        {EMFILE, 10024},     {EINPROGRESS, 10036}, {ENOTSOCK, 10038},
    };
    for (const auto& c : cases) {
        const int number = SocketApi::FromPlatformError(c.platform);
        EXPECT_EQ(number, c.number) << c.platform;
        EXPECT_FALSE(SocketErrorTable::Text(number).isEmpty());
    }
    // A platform error without a table entry gives a number that is reported as unknown.
    EXPECT_TRUE(SocketErrorTable::Format(SocketApi::FromPlatformError(ENOENT)).startsWith(QStringLiteral("N° d'erreur inconnu ")));
}

TEST(TSocketLink, ResolveHost_LookupThatNeverAnswers_TimesOutAfterTimeOut)
{
    ScriptedLookupLink link(ScriptedLookupLink::Mode::NeverAnswer);
    link.SetHost(QStringLiteral("serveur-muet"));
    link.SetTimeOut(500);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(ErrorText([&] { link.ResolveHost(); }), QStringLiteral("Temps dépassé pour la recherche de l'hôte"));
    EXPECT_GE(clock.elapsed(), 450);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(ErrorText([&] { link.Connect(); }), QStringLiteral("Temps dépassé pour la recherche de l'hôte"));
    EXPECT_EQ(link.lookups, 2);
}

TEST(TSocketLink, Cancel_DuringRead_RaisesAbortAndClearsCanceled)
{
    Connected c;
    QTimer::singleShot(50, &c.link, [&] { c.link.Cancel(); });
    try {
        c.link.Read(4);
        FAIL() << "Read returned";
    } catch (const ESocketAbort& abort) {
        EXPECT_EQ(abort.Text(), QStringLiteral("Envoi de Socket abandonné"));
    }
    EXPECT_FALSE(c.link.Canceled());
    // The wait was cancelled, not the connection: it reads on afterwards.
    SendAll(c.peer, "wxyz");
    EXPECT_EQ(c.link.Read(4), QByteArray("wxyz"));
}

TEST(TSocketLink, Cancel_FromAnotherThread_EndsTheWait)
{
    Connected c;
    Thread canceller([&] {
        Sleep(50);
        c.link.Cancel();
    });
    EXPECT_THROW(c.link.Read(4), ESocketAbort);
}

TEST(TSocketLink, WaitLimits_SilentPeer_ReadEndsAsTimedOut)
{
    Connected c;
    c.link.SetWaitLimits(QDeadlineTimer(200));
    QElapsedTimer clock;
    clock.start();
    EXPECT_THROW(c.link.Read(4), ESocketAbort);
    EXPECT_TRUE(c.link.TimedOut());
    EXPECT_GE(clock.elapsed(), 150);
    EXPECT_LT(clock.elapsed(), 2000);
}

TEST(TSocketLink, Disconnect_ThenConnectAgain_Works)
{
    Connected c;
    c.link.Disconnect();
    EXPECT_FALSE(c.link.Connected());
    c.link.Connect();
    EXPECT_TRUE(c.link.Connected());
    const int second = c.listener.Accept();
    c.link.Write("de nouveau");
    EXPECT_EQ(Receive(second, 10), QByteArray("de nouveau"));
    Close(second);
}

TEST(TSocketLink, Write_ReportsStatusInOrderByLevel)
{
    const struct {
        int level;
        QStringList expected;
    } cases[] = {
        {8, {QStringLiteral("Ecriture"), QStringLiteral("Envoi du tampon"), QStringLiteral("Timer activé"),
             QStringLiteral("Timer désactivé")}},
        {4, {QStringLiteral("Envoi du tampon")}},
    };
    for (const auto& c : cases) {
        QStringList reports;
        Connected connected;
        connected.link.SetReportLevel(c.level);
        connected.link.OnStatus = [&](QObject*, const QString& status) { reports << status; };
        connected.link.Write("x");
        EXPECT_EQ(reports, c.expected) << c.level;
    }
}

TEST(TSocketLink, PeerCloseWithUnreadBytes_ActedOnOnceTheyAreRead)
{
    Connected c;
    SendAll(c.peer, "xyz");
    Close(std::exchange(c.peer, -1));
    Pump(200);
    EXPECT_TRUE(c.link.Connected());
    EXPECT_EQ(c.link.Read(3), QByteArray("xyz"));
    EXPECT_TRUE(PumpUntil([&] { return !c.link.Connected(); }, 2000));
}

TEST(TSocketLink, PeerCloseWhileIdle_ClearsConnected)
{
    Connected c;
    int disconnects = 0;
    c.link.OnDisconnect = [&](QObject*) { ++disconnects; };
    Close(std::exchange(c.peer, -1));
    EXPECT_TRUE(PumpUntil([&] { return !c.link.Connected(); }, 2000));
    EXPECT_EQ(disconnects, 1);
}

TEST(TSocketLink, ReadLn_NotConnected_ReturnsWithoutRaising)
{
    TSocketLink link;
    EXPECT_EQ(link.ReadLn(), QByteArray());
}

TEST(TSocketLink, ReadLn_LineInPieces_ReturnsThroughTheLineFeed)
{
    Connected c;
    Thread writer([&] {
        for (const char* piece : {"bon", "jour\r", "\nreste"}) {
            Sleep(20);
            SendAll(c.peer, piece);
        }
    });
    EXPECT_EQ(c.link.ReadLn(), QByteArray("bonjour\r\n"));
    writer.Join();
    EXPECT_EQ(c.link.Read(5), QByteArray("reste"));
}

TEST(TSocketLink, Transaction_KeepsReplyAndItsNumber)
{
    Connected c;
    Thread server([&] {
        if (Receive(c.peer, 6) == "HELO\r\n")
            SendAll(c.peer, "250 ok\r\n");
    });
    EXPECT_EQ(c.link.Transaction("HELO"), QByteArray("250 ok\r\n"));
    EXPECT_EQ(c.link.ReplyNumber(), 250);
    EXPECT_EQ(c.link.LastReply(), QByteArray("250 ok\r\n"));
}

TEST(TSocketLink, DataAvailable_TellsPendingBytes)
{
    Connected c;
    EXPECT_FALSE(c.link.DataAvailable());
    SendAll(c.peer, "a");
    EXPECT_TRUE(PumpUntil([&] { return c.link.DataAvailable(); }, 2000));
}

TEST(TSocketLink, ComponentCount_FollowsLiveComponents)
{
    const int before = TSocketLink::ComponentCount();
    {
        TSocketLink first;
        TSocketLink second;
        EXPECT_EQ(TSocketLink::ComponentCount(), before + 2);
    }
    EXPECT_EQ(TSocketLink::ComponentCount(), before);
}

TEST(TWaitTimer, FiresAfterItsIntervalOnlyWhenEnabled)
{
    TWaitTimer timer;
    int fired = 0;
    timer.SetEnabled(false);
    timer.SetInterval(30);
    timer.SetOnTimer([&](QObject*) { ++fired; });
    Pump(100);
    EXPECT_EQ(fired, 0);
    timer.SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return fired > 0; }, 2000));
}

TEST(TWaitTimer, IntervalBeyondWhatTheSystemTimerHolds_RaisesAucunTimer)
{
    TWaitTimer timer;
    timer.SetOnTimer([](QObject*) {});
    try {
        timer.SetInterval(UINT_MAX);
        FAIL() << "the timer started";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Aucun timer");
    }
    EXPECT_FALSE(timer.Running());
}

TEST(TSocketLink, ReadLn_TimeOutOnASilentPeer_EndsWithItsAbort)
{
    Connected c;
    c.link.SetTimeOut(200);
    QElapsedTimer clock;
    clock.start();
    try {
        c.link.ReadLn();
        FAIL() << "ReadLn returned";
    } catch (const ESocketAbort& abort) {
        EXPECT_EQ(abort.Text(), QStringLiteral("ReadLn de Socket abandonnée"));
    }
    EXPECT_TRUE(c.link.TimedOut());
    EXPECT_GE(clock.elapsed(), 150);
    EXPECT_LT(clock.elapsed(), 2000);
}

TEST(TSocketLink, AcceptOnTheSecondChannel_WaitsForAConnectionOrACancel)
{
    TSocketLink listening;
    listening.SetBindAddress(QHostAddress(QHostAddress::LocalHost));
    listening.Listen(true);
    ASSERT_NE(listening.LocalPort(), 0);
    Thread client([&] {
        Sleep(50);
        const int fd = Connect(listening.LocalPort());
        SendAll(fd, "salut");
        Close(fd);
    });
    const SocketApi::Handle accepted = listening.Accept();
    TSocketLink served;
    served.TakeOverSocket(accepted, 0, 0);
    EXPECT_EQ(served.Read(5), QByteArray("salut"));
    EXPECT_EQ(listening.RemoteAddress().toString(), QStringLiteral("127.0.0.1"));

    QTimer::singleShot(50, &listening, [&] { listening.Cancel(); });
    EXPECT_EQ(ErrorText([&] { listening.Accept(); }), QStringLiteral("Acceptation annulée"));
}

TEST(TSocketLink, ThreadEventLoopEnded_WaitEndsInsteadOfSpinning)
{
    // A link waiting on its own thread when that thread is told to end its event loop, as
    // the user-interface thread is when the program quits during a send.
    class WaitingThread : public QThread {
    public:
        explicit WaitingThread(std::uint16_t port) : port_(port) {}
        std::atomic<bool> waiting{false};
        std::atomic<bool> aborted{false};

    protected:
        void run() override
        {
            TSocketLink link;
            link.SetHost(QStringLiteral("127.0.0.1"));
            link.SetPort(port_);
            link.Connect();
            QTimer::singleShot(0, [this] { waiting = true; });
            try {
                link.Read(4);
            } catch (const ESocketAbort&) {
                aborted = true;
            }
        }

    private:
        std::uint16_t port_;
    };
    Listener silent;
    WaitingThread thread(silent.Port());
    thread.start();
    const int peer = silent.Accept();
    ASSERT_TRUE(PumpUntil([&] { return thread.waiting.load(); }, 3000));
    thread.exit(0);
    EXPECT_TRUE(thread.wait(QDeadlineTimer(3000)));
    EXPECT_TRUE(thread.aborted);
    if (!thread.isFinished()) {
        thread.terminate();
        thread.wait();
    }
    Close(peer);
}
