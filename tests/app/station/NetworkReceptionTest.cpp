#include "FakeClock.h"
#include "net/TMainMsgServer.h"
#include "net/TMsgSender.h"
#include "station/NetworkReception.h"
#include "station/StationCommands.h"
#include "station/TeacherStation.h"
#include "TestEnvironment.h"
#include "TestWindow.h"

#include <QAction>
#include <QLabel>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

QStringList journal;

void Record(QtMsgType, const QMessageLogContext&, const QString& message)
{
    journal << message;
}

TEST(NetworkReceptionTest, PortInUseIsSaidAtStartAndReceptionComesBackOnARetry)
{
    TestEnvironment::ClearSettings();
    UseTemporaryProgramDir();
    TemporaryStateDir state;
    // Another copy of the program already listens on the port.
    auto other = std::make_unique<TMainMsgServer>(nullptr, 0, QHostAddress(QHostAddress::LocalHost));
    const std::uint16_t port = other->LocalPort();
    ASSERT_NE(port, 0);
    FakeClock clock;
    TFAcquisition::MessageEndpoint endpoint;
    endpoint.port = port;
    endpoint.address = QHostAddress(QHostAddress::LocalHost);
    journal.clear();
    const QtMessageHandler previous = qInstallMessageHandler(Record);
    TFAcquisition window(clock, CreateBoard(QStringList(), QString(), clock, nullptr), endpoint);
    qInstallMessageHandler(previous);

    const QString problem = QStringLiteral("Réception réseau impossible : le port %1 est déjà utilisé").arg(port);
    EXPECT_EQ(window.StatusText(), problem);
    EXPECT_TRUE(journal.contains(problem));
    EXPECT_TRUE(window.Reception().RetryTimer()->isActive());
    window.Menu().Postedeprofesseur1->trigger();
    auto* station = window.findChild<TeacherStation*>();
    ASSERT_NE(station, nullptr);
    EXPECT_EQ(station->ReceptionLabel()->text(), problem);
    EXPECT_FALSE(station->ReceptionLabel()->isHidden());

    // A retry while the port is still held changes nothing.
    window.Reception().Retry();
    EXPECT_EQ(window.Reception().Problem(), problem);
    EXPECT_FALSE(window.MsgServer1().Receiving());

    // The other copy ends: the next retry (the timer's) listens, and says so.
    other.reset();
    window.Reception().Retry();
    EXPECT_TRUE(window.MsgServer1().Receiving());
    EXPECT_EQ(window.StatusText(), QStringLiteral("Réception réseau rétablie sur le port %1").arg(port));
    EXPECT_TRUE(station->ReceptionLabel()->isHidden());
    EXPECT_FALSE(window.Reception().RetryTimer()->isActive());

    TMsgSender sender;
    sender.SetHost(QStringLiteral("127.0.0.1"));
    sender.SetPort(port);
    sender.SetConnectLimit(3000);
    sender.SetReplyLimit(3000);
    const QString text = QStringLiteral("7,000\t0,001000\r\r\r\r");
    EXPECT_EQ(sender.SendText(text), QStringLiteral("OK              "));
    EXPECT_EQ(window.MsgServer1().LastReceivedText(), text);
}

}  // namespace
