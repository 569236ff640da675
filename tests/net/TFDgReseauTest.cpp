#include "LoopbackPeer.h"
#include "net/NetworkAddresses.h"
#include "net/TFDgReseau.h"
#include "net/TMainMsgServer.h"
#include "net/TMsgSender.h"
#include "QtPrinting.h"
#include "TestEnvironment.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace LoopbackPeer;

namespace {

const QString kHeading = QStringLiteral("Erreur de transmission (aux) à l'adresse(s) :  ");
const QString kSeparator = QStringLiteral("  |  ");
// Two measured points as the program sends them.
const QString kTwoPoints = QStringLiteral("7,012\t0,001000\r8,345\t0,002000\r\r\r\r");

QSettings Settings()
{
    return QSettings(QStringLiteral("Torvi"), QStringLiteral("Quorin"));
}

class TFDgReseauTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestEnvironment::ClearSettings();
        sender.SetPort(msgServer1.LocalPort());
    }

    // A dialog as the program makes it at start-up (loading the kept addresses).
    std::unique_ptr<TFDgReseau> MakeDialog()
    {
        auto dialog = std::make_unique<TFDgReseau>(sender, msgServer1, [this] { return measurementText; });
        dialog->SetTimeLimits(2000, 2000);
        return dialog;
    }

    static QLineEdit* Edit(TFDgReseau& dialog, int n)
    {
        return dialog.findChild<QLineEdit*>(QStringLiteral("Edit%1").arg(n));
    }
    static QPushButton* Button(TFDgReseau& dialog, const char* name)
    {
        return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
    }
    static QString Memo(TFDgReseau& dialog)
    {
        return dialog.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText();
    }
    static void SetAddresses(TFDgReseau& dialog, const QStringList& addresses)
    {
        for (int n = 1; n <= NetworkAddresses::kCount; ++n)
            Edit(dialog, n)->setText(addresses.value(n - 1));
    }

    TMainMsgServer msgServer1{nullptr, 0, QHostAddress(QHostAddress::LocalHost)};
    TMsgSender sender;
    QString measurementText = kTwoPoints;
};

}  // namespace

TEST_F(TFDgReseauTest, Layout_CaptionsAndAccessKeys)
{
    auto dialog = MakeDialog();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Quorin : Transfert par réseau"));
    EXPECT_EQ(dialog->size(), QSize(347, 283));
    EXPECT_EQ(dialog->findChild<QGroupBox*>(QStringLiteral("GroupBox1"))->title(), QStringLiteral("&Adresses IP"));
    const struct {
        const char* name;
        const char* text;
        QRect geometry;
    } buttons[] = {
        {"Button1", "&Tester envoi", {128, 168, 97, 25}},
        {"Button2", "Te&ster lecture", {240, 168, 97, 25}},
        {"OKBtn", "&Envoyer", {127, 244, 97, 25}},
        {"CancelBtn", "&Annuler", {239, 244, 97, 25}},
    };
    for (const auto& b : buttons) {
        EXPECT_EQ(Button(*dialog, b.name)->text(), QString::fromUtf8(b.text)) << b.name;
        EXPECT_EQ(Button(*dialog, b.name)->geometry(), b.geometry) << b.name;
    }
    EXPECT_TRUE(Button(*dialog, "OKBtn")->isDefault());
    EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
              QStringLiteral("Pour vous envoyer un message, adresse IP : 127.0.0.1"));
    for (int n = 1; n <= 8; ++n)
        EXPECT_EQ(Edit(*dialog, n)->geometry(), QRect(8, 20 + 32 * (n - 1), 105, 24)) << n;
}

TEST_F(TFDgReseauTest, Defaults_WithNoSettingsOrWithoutAddressOne)
{
    for (const bool otherValues : {false, true}) {
        TestEnvironment::ClearSettings();
        if (otherValues) {
            QSettings settings = Settings();
            settings.setValue(QStringLiteral("EtatFenetre"), 0);
            settings.setValue(NetworkAddresses::ValueName(2), QStringLiteral("10.0.0.2"));
        }
        auto dialog = MakeDialog();
        for (int n = 1; n <= 8; ++n)
            EXPECT_EQ(Edit(*dialog, n)->text(), QStringLiteral("101.101.101.%1").arg(n)) << otherValues << n;
    }
}

TEST_F(TFDgReseauTest, KeptAddresses_MissingOrNonTextValuesReadEmpty)
{
    {
        QSettings settings = Settings();
        settings.setValue(NetworkAddresses::ValueName(1), QStringLiteral("127.0.0.1"));
        settings.setValue(NetworkAddresses::ValueName(2), QStringList{QStringLiteral("a"), QStringLiteral("b")});
        settings.setValue(NetworkAddresses::ValueName(3), QPoint(1, 2));
        settings.setValue(NetworkAddresses::ValueName(5), QStringLiteral("poste 5"));
    }
    auto dialog = MakeDialog();
    const QStringList expected = {QStringLiteral("127.0.0.1"), {}, {}, {}, QStringLiteral("poste 5"), {}, {}, {}};
    for (int n = 1; n <= 8; ++n)
        EXPECT_EQ(Edit(*dialog, n)->text(), expected[n - 1]) << n;
}

TEST_F(TFDgReseauTest, ChangedAddressKeptAfterCancelAndRestart)
{
    {
        auto dialog = MakeDialog();
        dialog->Testerlerseau1Click();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(dialog->isModal());
        Edit(*dialog, 3)->setText(QStringLiteral("192.0.2.33"));
        QTest::mouseClick(Button(*dialog, "CancelBtn"), Qt::LeftButton);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
    }
    auto restarted = MakeDialog();
    EXPECT_EQ(Edit(*restarted, 3)->text(), QStringLiteral("192.0.2.33"));
    EXPECT_EQ(Edit(*restarted, 4)->text(), QStringLiteral("101.101.101.4"));
}

TEST_F(TFDgReseauTest, AllAddressesEmpty_NothingSentAndMemoEmpty)
{
    auto dialog = MakeDialog();
    SetAddresses(*dialog, {});
    QTest::mouseClick(Button(*dialog, "Button1"), Qt::LeftButton);
    EXPECT_EQ(Memo(*dialog), QString());
    Pump(50);
    EXPECT_EQ(msgServer1.LastReceivedText(), QString());
}

TEST_F(TFDgReseauTest, FailingAddresses_ListedInOrder_AndAgainOnTheNextSend)
{
    sender.SetPort(UnusedPort());
    auto dialog = MakeDialog();
    SetAddresses(*dialog, {{}, QStringLiteral("127.0.0.1"), {}, {}, QStringLiteral("127.0.0.2")});
    const QString expected = kHeading + QStringLiteral("127.0.0.1") + kSeparator + QStringLiteral("127.0.0.2") + kSeparator;
    for (int send = 1; send <= 2; ++send) {
        QTest::mouseClick(Button(*dialog, "Button1"), Qt::LeftButton);
        EXPECT_EQ(Memo(*dialog), expected) << send;
    }
}

TEST_F(TFDgReseauTest, SelfSend_TesterEnvoiThenTesterLecture_ShowsTheSentText)
{
    auto dialog = MakeDialog();
    SetAddresses(*dialog, {QStringLiteral("127.0.0.1")});
    QTest::mouseClick(Button(*dialog, "Button1"), Qt::LeftButton);
    EXPECT_EQ(Memo(*dialog), QString());
    ASSERT_TRUE(PumpUntil([&] { return msgServer1.LastReceivedText() == kTwoPoints; }, 3000));
    QTest::mouseClick(Button(*dialog, "Button2"), Qt::LeftButton);
    // The memo shows each carriage return as a line break.
    EXPECT_EQ(Memo(*dialog), QStringLiteral("\n\n") + QString(kTwoPoints).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    QTest::mouseClick(Button(*dialog, "Button2"), Qt::LeftButton);
    EXPECT_EQ(Memo(*dialog).count(QStringLiteral("7,012\t0,001000")), 2);
}

TEST_F(TFDgReseauTest, TextOver9999Bytes_RefusedWithWhatToDo)
{
    measurementText = QString(10'000, QLatin1Char('7'));
    auto dialog = MakeDialog();
    SetAddresses(*dialog, {QStringLiteral("127.0.0.1"), {}, QStringLiteral("127.0.0.3")});
    dialog->SendMeasurements();
    EXPECT_EQ(Memo(*dialog), QStringLiteral("Message trop long (plus de 9999 octets) : diminuez le nombre de points.\n")
                                 + kHeading + QStringLiteral("127.0.0.1") + kSeparator + QStringLiteral("127.0.0.3")
                                 + kSeparator);
    EXPECT_EQ(msgServer1.ClientCount() + msgServer1.ThreadCount(), 0);
    EXPECT_EQ(msgServer1.LastReceivedText(), QString());
}

TEST_F(TFDgReseauTest, Envoyer_SendsThenClosesAndSavesTheAddresses)
{
    auto dialog = MakeDialog();
    dialog->Testerlerseau1Click();
    SetAddresses(*dialog, {QStringLiteral("127.0.0.1")});
    QTest::keyClick(Edit(*dialog, 1), Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(PumpUntil([&] { return msgServer1.LastReceivedText() == kTwoPoints; }, 3000));
    EXPECT_EQ(Settings().value(NetworkAddresses::ValueName(1)).toString(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(Settings().value(NetworkAddresses::ValueName(2)).toString(), QString());
}

TEST_F(TFDgReseauTest, MenuSend_ReportWaitsInTheHiddenDialog)
{
    sender.SetPort(UnusedPort());
    auto dialog = MakeDialog();
    SetAddresses(*dialog, {QStringLiteral("127.0.0.1")});
    dialog->Envoyersurlerseau1Click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(Memo(*dialog), kHeading + QStringLiteral("127.0.0.1") + kSeparator);
    dialog->Testerlerseau1Click();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Memo(*dialog), kHeading + QStringLiteral("127.0.0.1") + kSeparator);
}

TEST_F(TFDgReseauTest, OneSendAtATime_SecondSendRefusedWhileTheFirstWaits)
{
    // A receiver that accepts, reads the message and answers only when told.
    Listener slow;
    std::atomic<int> connections{0};
    std::atomic<bool> answer{false};
    Thread receiver([&] {
        // After the first connection, a second one would come at once if it came at all.
        for (int fd; (fd = slow.Accept(connections == 0 ? 3000 : 300)) >= 0;) {
            ++connections;
            Receive(fd, 8 + kTwoPoints.size());
            for (int i = 0; i < 300 && !answer; ++i)
                Sleep(10);
            SendAll(fd, "OK              ");
            ReceiveUntilClose(fd, 2000);
            Close(fd);
        }
    });
    sender.SetPort(slow.Port());
    auto dialog = MakeDialog();
    SetAddresses(*dialog, {QStringLiteral("127.0.0.1")});
    bool buttonsDisabled = false;
    QString progress;
    QTimer::singleShot(200, dialog.get(), [&] {
        buttonsDisabled = !Button(*dialog, "OKBtn")->isEnabled() && !Button(*dialog, "Button1")->isEnabled();
        progress = Memo(*dialog);
        dialog->Envoyersurlerseau1Click();
        answer = true;
    });
    dialog->Envoyersurlerseau1Click();
    receiver.Join();
    EXPECT_TRUE(buttonsDisabled);
    EXPECT_EQ(progress, QStringLiteral("Envoi en cours à l'adresse 1 : 127.0.0.1"));
    EXPECT_EQ(connections, 1);
    EXPECT_EQ(Memo(*dialog), QString());
    EXPECT_FALSE(dialog->Sending());
    EXPECT_TRUE(Button(*dialog, "OKBtn")->isEnabled());
    EXPECT_TRUE(Button(*dialog, "Button1")->isEnabled());
}

TEST_F(TFDgReseauTest, SendToAddresses_CountCappedAtEight)
{
    sender.SetPort(UnusedPort());
    auto dialog = MakeDialog();
    SetAddresses(*dialog, {QStringLiteral("127.0.0.1"), {}, {}, {}, {}, {}, {}, QStringLiteral("127.0.0.8")});
    dialog->SendMeasurements();
    EXPECT_EQ(dialog->SendToAddresses(kTwoPoints, 100), kHeading + QStringLiteral("127.0.0.1") + kSeparator
                                                              + QStringLiteral("127.0.0.8") + kSeparator);
    EXPECT_EQ(dialog->SendToAddresses(kTwoPoints, 1), kHeading + QStringLiteral("127.0.0.1") + kSeparator);
}

TEST_F(TFDgReseauTest, ReplyOtherThanTheAcknowledgement_ListedAsFailure)
{
    const struct {
        const char* name;
        QByteArray reply;  // then the peer closes
        bool listed;
    } cases[] = {
        {"acknowledgement", "OK              ", false},
        {"closed without a word", "", true},
        {"another program's short answer", "NON", true},
        {"sixteen other bytes", "REFUSE          ", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Listener peer;
        Thread receiver([&] {
            const int fd = peer.Accept(3000);
            if (fd < 0)
                return;
            Receive(fd, 8 + kTwoPoints.size());
            SendAll(fd, c.reply);
            ShutdownWrite(fd);
            ReceiveUntilClose(fd, 2000);
            Close(fd);
        });
        sender.SetPort(peer.Port());
        auto dialog = MakeDialog();
        SetAddresses(*dialog, {QStringLiteral("127.0.0.1")});
        dialog->SendMeasurements();
        receiver.Join();
        EXPECT_EQ(Memo(*dialog), c.listed ? kHeading + QStringLiteral("127.0.0.1 (pas d'accusé de réception)") + kSeparator
                                          : QString());
    }
}
