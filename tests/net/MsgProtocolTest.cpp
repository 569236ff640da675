#include "LoopbackPeer.h"
#include "net/ESocketAbort.h"
#include "net/ESocketError.h"
#include "net/MsgWire.h"
#include "net/TMainMsgServer.h"
#include "net/TMsgSender.h"
#include "QtPrinting.h"
#include "text/Windows1252.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <mutex>
#include <optional>

using namespace LoopbackPeer;

namespace {

const QByteArray kAck = QByteArray("OK              ");

struct Received {
    QString from;
    QString message;
};

// A message server on a free loopback port that records what its OnMessage receives.
struct RecordingServer {
    TMsgServer server;
    std::mutex lock;
    std::vector<Received> received;  // guarded by lock
    std::vector<bool> onOwnThread;   // guarded by lock

    RecordingServer()
    {
        server.SetBindAddress(QHostAddress(QHostAddress::LocalHost));
        server.SetPort(0);
        server.OnMessage = [this](QObject* sender, const QString& from, const QString& message) {
            std::lock_guard guard(lock);
            received.push_back({from, message});
            onOwnThread.push_back(sender != &server && QThread::currentThread() != server.thread());
        };
        server.Loaded();
    }
    int Count()
    {
        std::lock_guard guard(lock);
        return static_cast<int>(received.size());
    }
    bool Idle() const { return server.ClientCount() == 0 && server.ThreadCount() == 0; }
};

// Sends raw bytes from a helper thread (in pieces with pauses if asked), closes its sending
// side, and collects the server's answer until the server closes.
struct RawExchange {
    QByteArray answer;
    bool closedByServer = false;
};

RawExchange RunRaw(RecordingServer& recording, const QByteArray& bytes, int pieceSize = 0)
{
    RawExchange result;
    std::atomic<bool> done{false};
    Thread client([&] {
        const int fd = Connect(recording.server.LocalPort());
        if (pieceSize > 0) {
            for (qsizetype at = 0; at < bytes.size(); at += pieceSize) {
                SendAll(fd, bytes.mid(at, pieceSize));
                Sleep(5);
            }
        } else {
            SendAll(fd, bytes);
        }
        ShutdownWrite(fd);
        result.answer = ReceiveUntilClose(fd, 5000, &result.closedByServer);
        Close(fd);
        done = true;
    });
    PumpUntil([&] { return done && recording.Idle(); }, 8000);
    return result;
}

QString SendError(TMsgSender& sender, const QString& text)
{
    try {
        sender.SendText(text);
    } catch (const ESocketError& error) {
        return error.Text();
    }
    return QStringLiteral("(pas d'erreur)");
}

}  // namespace

TEST(MsgWire, LengthFields)
{
    const struct {
        QByteArray field;
        std::optional<int> length;
    } cases[] = {
        {"0003", 3},          {"9999", 9999},        {"0000", 0},           {"-001", -1},
        {"+012", 12},         {"00x1", std::nullopt}, {"003", std::nullopt}, {"", std::nullopt},
        {" 003", std::nullopt}, {"-", std::nullopt},  {"00000", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MsgWire::ParseLength(c.field), c.length) << c.field.toStdString();
    EXPECT_EQ(MsgWire::Field("abc"), QByteArray("0003abc"));
    EXPECT_EQ(MsgWire::Field(QByteArray(9999, 'x')).left(5), QByteArray("9999x"));
    EXPECT_EQ(MsgWire::Acknowledgement(), kAck);
}

TEST(MsgWire, TextsAreWindows1252OnTheWire)
{
    EXPECT_EQ(Windows1252::Encode(QStringLiteral("pH été €")), QByteArray("pH \xe9t\xe9 \x80"));
    EXPECT_EQ(Windows1252::Decode("\xe9t\xe9 \x80"), QStringLiteral("été €"));
    // Outside the code page: '?', never the converter's byte 26, which ends a chemistry file
    // that the station writes from what it received.
    EXPECT_EQ(Windows1252::Encode(QStringLiteral("pH \u2192 7")), QByteArray("pH ? 7"));
}

TEST(TMsgSender, SendText_PutsBothFieldsOnTheWireAndReturnsTheReply)
{
    Listener listener;
    QByteArray wire;
    Thread server([&] {
        const int fd = listener.Accept();
        wire = Receive(fd, 11);
        SendAll(fd, kAck);
        wire += ReceiveUntilClose(fd, 3000);
        Close(fd);
    });
    TMsgSender sender;
    EXPECT_EQ(sender.Port(), 6711);
    sender.SetHost(QStringLiteral("127.0.0.1"));
    sender.SetPort(listener.Port());
    int sentEvents = 0;
    sender.OnMessageSent = [&](QObject*) { ++sentEvents; };
    EXPECT_EQ(sender.SendText(QStringLiteral("abc")), QString::fromLatin1(kAck));
    server.Join();
    EXPECT_EQ(wire, QByteArray("00000003abc"));
    EXPECT_EQ(sentEvents, 1);
    EXPECT_FALSE(sender.Connected());
}

TEST(TMsgSender, SendText_NulInsideTheText_TravelsWithIt)
{
    Listener listener;
    QByteArray wire;
    Thread server([&] {
        const int fd = listener.Accept();
        wire = Receive(fd, 11);
        SendAll(fd, kAck);
        Close(fd);
    });
    TMsgSender sender;
    sender.SetHost(QStringLiteral("127.0.0.1"));
    sender.SetPort(listener.Port());
    sender.SendText(QString::fromLatin1("a\0b", 3));
    server.Join();
    EXPECT_EQ(wire, QByteArray("00000003a\0b", 11));
}

TEST(TMsgSender, SendText_ServerClosesWithoutAcknowledging_ReturnsEmptyWithoutRaising)
{
    Listener listener;
    Thread server([&] {
        const int fd = listener.Accept();
        Receive(fd, 11);
        Close(fd);
    });
    TMsgSender sender;
    sender.SetHost(QStringLiteral("127.0.0.1"));
    sender.SetPort(listener.Port());
    EXPECT_EQ(sender.SendText(QStringLiteral("abc")), QString());
}

TEST(TMsgSender, SendText_ServerResets_RaisesTheSocketError)
{
    Listener listener;
    Thread server([&] {
        const int fd = listener.Accept();
        Receive(fd, 11);
        ResetClose(fd);
    });
    TMsgSender sender;
    sender.SetHost(QStringLiteral("127.0.0.1"));
    sender.SetPort(listener.Port());
    EXPECT_EQ(SendError(sender, QStringLiteral("abc")), QStringLiteral("10054:Connection reset by peer"));
    EXPECT_FALSE(sender.Connected());
}

TEST(TMsgSender, SendText_NoListener_RaisesAndCanSendAgain)
{
    TMsgSender sender;
    sender.SetHost(QStringLiteral("127.0.0.1"));
    sender.SetPort(UnusedPort());
    EXPECT_EQ(SendError(sender, QStringLiteral("abc")), QStringLiteral("La connection a échoué"));
    TMainMsgServer receiver(nullptr, 0, QHostAddress(QHostAddress::LocalHost));
    sender.SetPort(receiver.LocalPort());
    EXPECT_EQ(sender.SendText(QStringLiteral("abc")), QString::fromLatin1(kAck));
}

TEST(TMsgSender, SendText_MoreThan9999Bytes_RefusedBeforeConnecting)
{
    Listener listener;
    TMsgSender sender;
    sender.SetHost(QStringLiteral("127.0.0.1"));
    sender.SetPort(listener.Port());
    // 10 000 characters that take one byte each on the wire.
    EXPECT_EQ(SendError(sender, QString(10'000, QChar(0xE9))), QStringLiteral("Message trop long (plus de 9999 octets)"));
    sender.SetFromName(QString(10'000, QLatin1Char('n')));
    EXPECT_EQ(SendError(sender, QStringLiteral("abc")), QStringLiteral("Message trop long (plus de 9999 octets)"));
    EXPECT_EQ(listener.Accept(100), -1);
}

TEST(TMsgSender, SendText_ServerNeverAcknowledges_EndsAtTheReplyLimit)
{
    Listener listener;
    std::atomic<bool> stop{false};
    Thread server([&] {
        const int fd = listener.Accept();
        while (!stop)
            Sleep(10);
        Close(fd);
    });
    TMsgSender sender;
    sender.SetHost(QStringLiteral("127.0.0.1"));
    sender.SetPort(listener.Port());
    sender.SetReplyLimit(300);
    QElapsedTimer clock;
    clock.start();
    EXPECT_THROW(sender.SendText(QStringLiteral("abc")), ESocketAbort);
    EXPECT_GE(clock.elapsed(), 250);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_FALSE(sender.Connected());
    stop = true;
}

TEST(TMsgServer, Exchanges_AcknowledgeAndDeliverWellFormedMessagesOnly)
{
    const QByteArray longMessage(9999, 'm');
    const struct {
        const char* name;
        QByteArray bytes;
        bool delivered;
        QString from;
        QString message;
    } cases[] = {
        {"abc", "00000003abc", true, {}, QStringLiteral("abc")},
        {"vide", "00000000", true, {}, {}},
        {"nom", "0003PC10002hi", true, QStringLiteral("PC1"), QStringLiteral("hi")},
        {"9999 octets", "00009999" + longMessage, true, {}, QString::fromLatin1(longMessage)},
        {"longueur négative", "-0010002hi", true, {}, QStringLiteral("hi")},
        {"windows-1252", "00000003\xe9t\xe9", true, {}, QStringLiteral("été")},
        {"longueur illisible", "00x1", false, {}, {}},
        {"champ coupé", "0005ab", false, {}, {}},
        {"rien", "", false, {}, {}},
    };
    for (const auto& c : cases) {
        RecordingServer recording;
        const RawExchange exchange = RunRaw(recording, c.bytes);
        EXPECT_TRUE(exchange.closedByServer) << c.name;
        EXPECT_EQ(exchange.answer, c.delivered ? kAck : QByteArray()) << c.name;
        ASSERT_EQ(recording.Count(), c.delivered ? 1 : 0) << c.name;
        if (c.delivered) {
            EXPECT_EQ(recording.received[0].from, c.from) << c.name;
            EXPECT_EQ(recording.received[0].message, c.message) << c.name;
            EXPECT_TRUE(recording.onOwnThread[0]) << c.name;
        }
    }
}

TEST(TMsgServer, SenderWritingSingleBytesWithPauses_ServedTheSame)
{
    RecordingServer recording;
    const RawExchange exchange = RunRaw(recording, "0003PC10002hi", 1);
    EXPECT_EQ(exchange.answer, kAck);
    ASSERT_EQ(recording.Count(), 1);
    EXPECT_EQ(recording.received[0].from, QStringLiteral("PC1"));
    EXPECT_EQ(recording.received[0].message, QStringLiteral("hi"));
}

TEST(TMsgServer, PeerThatDoesNotCloseAfterTheReply_IsClosedByTheServer)
{
    RecordingServer recording;
    recording.server.SetServerLimits({64, 10'000, 30'000, 300});
    std::atomic<qint64> closedAfter{-1};
    Thread client([&] {
        const int fd = Connect(recording.server.LocalPort());
        SendAll(fd, "00000003abc");
        if (Receive(fd, 16) == kAck) {
            QElapsedTimer clock;
            clock.start();
            bool closed = false;
            ReceiveUntilClose(fd, 3000, &closed);
            if (closed)
                closedAfter = clock.elapsed();
        }
        Close(fd);
    });
    EXPECT_TRUE(PumpUntil([&] { return closedAfter >= 0 && recording.Idle(); }, 5000));
    EXPECT_GE(closedAfter, 200);
    EXPECT_LT(closedAfter, 2000);
    EXPECT_EQ(recording.Count(), 1);
}

// A place is held for the exchange only: once its reply is written, the next sender is served,
// even while the peer that had it has not closed yet.
TEST(TMsgServer, PlaceFreedAtTheEndOfEachExchange_OneAfterAnotherAllAcknowledged)
{
    RecordingServer recording;
    recording.server.SetServerLimits({1, 10'000, 30'000, 5'000, 1});
    std::atomic<bool> lingererAcknowledged{false};
    std::atomic<int> lingererClosed{-1};
    Thread lingerer([&] {
        const int fd = ConnectFrom("127.0.0.2", recording.server.LocalPort());
        SendAll(fd, "00000003abc");
        lingererAcknowledged = Receive(fd, 16) == kAck;
        // Keeps its end open; the server closes it when its place is wanted.
        bool closed = false;
        ReceiveUntilClose(fd, 5000, &closed);
        lingererClosed = closed ? 1 : 0;
        Close(fd);
    });
    ASSERT_TRUE(PumpUntil([&] { return lingererAcknowledged.load(); }, 3000));

    TMsgSender sender;
    sender.SetBindAddress(QHostAddress(QStringLiteral("127.0.0.3")));
    sender.SetHost(QStringLiteral("127.0.0.1"));
    sender.SetPort(recording.server.LocalPort());
    sender.SetReplyLimit(5000);
    int acknowledged = 0;
    for (int k = 0; k < 20; ++k) {
        try {
            acknowledged += sender.SendText(QStringLiteral("message %1").arg(k)) == QString::fromLatin1(kAck) ? 1 : 0;
        } catch (const ESocketError& error) {
            ADD_FAILURE() << error.what();
        }
    }
    EXPECT_EQ(acknowledged, 20);
    EXPECT_TRUE(PumpUntil([&] { return lingererClosed >= 0 && recording.Idle(); }, 8000));
    lingerer.Join();
    EXPECT_EQ(lingererClosed, 1);
    EXPECT_EQ(recording.Count(), 21);
}

TEST(TMainMsgServer, SendToItself_DeliveredAndSendReturnsNormally)
{
    TMainMsgServer msgServer1(nullptr, 0, QHostAddress(QHostAddress::LocalHost));
    TMsgSender msgSender1;
    msgSender1.SetHost(QStringLiteral("127.0.0.1"));
    msgSender1.SetPort(msgServer1.LocalPort());
    const QString text = QStringLiteral("7,000\t0,001000\r\r\r\r");
    EXPECT_EQ(msgSender1.SendText(text), QString::fromLatin1(kAck));
    EXPECT_TRUE(PumpUntil([&] { return msgServer1.LastReceivedText() == text; }, 3000));
}

TEST(TMainMsgServer, TwoMessages_OnlyTheSecondRemains)
{
    TMainMsgServer msgServer1(nullptr, 0, QHostAddress(QHostAddress::LocalHost));
    TMsgSender msgSender1;
    msgSender1.SetHost(QStringLiteral("127.0.0.1"));
    msgSender1.SetPort(msgServer1.LocalPort());
    msgSender1.SendText(QStringLiteral("premier"));
    EXPECT_TRUE(PumpUntil([&] { return msgServer1.LastReceivedText() == QStringLiteral("premier"); }, 3000));
    msgSender1.SendText(QStringLiteral("second"));
    EXPECT_TRUE(PumpUntil([&] { return msgServer1.LastReceivedText() == QStringLiteral("second"); }, 3000));
    EXPECT_TRUE(PumpUntil([&] { return msgServer1.ClientCount() == 0; }, 3000));
}

TEST(TMainMsgServer, MessageOf9999Bytes_DeliveredWhole)
{
    TMainMsgServer msgServer1(nullptr, 0, QHostAddress(QHostAddress::LocalHost));
    TMsgSender msgSender1;
    msgSender1.SetHost(QStringLiteral("127.0.0.1"));
    msgSender1.SetPort(msgServer1.LocalPort());
    const QString text(9999, QChar(0xE9));
    msgSender1.SendText(text);
    EXPECT_TRUE(PumpUntil([&] { return msgServer1.LastReceivedText() == text; }, 3000));
}
