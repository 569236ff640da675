#include "station/TeacherStation.h"

#include "data/ClassTable.h"
#include "data/ReceivedMeasurements.h"
#include "files/DataCommands.h"
#include "net/TMainMsgServer.h"
#include "net/TMsgSender.h"
#include "RunFixture.h"
#include "station/StationCommands.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>

#include <latch>
#include <memory>
#include <vector>

namespace {

const QDateTime kMorning(QDate(2024, 5, 6), QTime(9, 5, 3));

class TeacherStationTest : public RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        commands = window->findChild<StationCommands*>();
        ASSERT_NE(commands, nullptr);
    }
    ReceivedMeasurements& Store() { return commands->Store(); }

    StationCommands* commands = nullptr;
};

// A text that names its sender and its rank; one point, so it reads as a measurement.
QString Text(int sender, int rank)
{
    return QStringLiteral("%1,000\t0,%2\r\r\r\r").arg(rank).arg(sender, 6, 10, QLatin1Char('0'));
}

TEST_F(TeacherStationTest, ClassOf32SendersTimesFive_AllKeptEachInOrderWithItsAddress)
{
    constexpr int kSenders = 32;
    constexpr int kMessages = 5;
    const std::uint16_t port = window->MsgServer1().LocalPort();
    ASSERT_NE(port, 0);
    // Each sender on its own thread and its own loopback address, all starting together.
    std::latch start(kSenders);
    std::atomic<int> acknowledged{0};
    std::vector<std::unique_ptr<QThread>> senders;
    for (int c = 0; c < kSenders; ++c) {
        senders.emplace_back(QThread::create([&, c] {
            TMsgSender sender;
            sender.SetBindAddress(QHostAddress(QStringLiteral("127.0.0.%1").arg(10 + c)));
            sender.SetHost(QStringLiteral("127.0.0.1"));
            sender.SetPort(port);
            sender.SetConnectLimit(10'000);
            sender.SetReplyLimit(10'000);
            start.arrive_and_wait();
            for (int k = 1; k <= kMessages; ++k) {
                try {
                    if (sender.SendText(Text(c, k)).startsWith(QStringLiteral("OK")))
                        ++acknowledged;
                } catch (const std::exception&) {
                    // Counted as missing below.
                }
            }
        }));
        senders.back()->start();
    }
    const bool allCame = QTest::qWaitFor([&] { return Store().Entries().size() == kSenders * kMessages; }, 30'000);
    for (const auto& thread : senders)
        thread->wait();
    ASSERT_TRUE(allCame) << Store().Entries().size();
    EXPECT_EQ(acknowledged, kSenders * kMessages);

    for (int c = 0; c < kSenders; ++c) {
        QStringList texts;
        for (const ReceivedMeasurements::Entry& entry : Store().Entries())
            if (entry.peerAddress == QStringLiteral("127.0.0.%1").arg(10 + c))
                texts << entry.text;
        EXPECT_EQ(texts, (QStringList{Text(c, 1), Text(c, 2), Text(c, 3), Text(c, 4), Text(c, 5)})) << c;
    }
    // The network dialog's last received text is still kept as before.
    EXPECT_EQ(window->MsgServer1().LastReceivedText(), Store().Entries().constLast().text);
}

TEST_F(TeacherStationTest, ListsNewestFirst_DrawsTheSelection_SavesCopiesAndClears)
{
    Store().SetClock([] { return kMorning; });
    QString curve;
    for (int i = 0; i <= 60; ++i)
        curve += QStringLiteral("%1\t%2\r").arg(i < 40 ? QStringLiteral("3,000") : QStringLiteral("11,000"),
                                                 QString::number(i * 0.0005, 'f', 6).replace(QLatin1Char('.'), QLatin1Char(',')));
    Store().Add(QStringLiteral("10.0.0.1"), curve, 1);
    Store().Add(QStringLiteral("10.0.0.2"), QStringLiteral("bonjour"), 2);
    Store().Add(QStringLiteral("10.0.0.3"), curve, 3);

    window->Menu().Postedeprofesseur1->trigger();
    TeacherStation& station = commands->Station();
    ASSERT_TRUE(station.isVisible());
    EXPECT_EQ(station.windowTitle(), QStringLiteral("Quorin : Poste du professeur"));
    QTableWidget* table = station.Table();
    ASSERT_EQ(table->rowCount(), 3);
    EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("10.0.0.3"));
    EXPECT_EQ(table->item(1, 2)->text(), QStringLiteral("illisible"));
    EXPECT_EQ(table->item(2, 3)->text(), QStringLiteral("19,75"));

    table->selectAll();
    QStringList names;
    for (QAbstractSeries* series : station.ChartView()->chart()->series())
        names << series->name();
    EXPECT_EQ(names, (QStringList{QStringLiteral("10.0.0.3 09:05:03"), QStringLiteral("10.0.0.1 09:05:03")}));
    // A new arrival goes on top; the selection stays with its measurements.
    Store().Add(QStringLiteral("10.0.0.4"), curve, 4);
    station.Refresh();
    EXPECT_EQ(table->rowCount(), 4);
    EXPECT_FALSE(table->item(0, 0)->isSelected());
    EXPECT_EQ(station.SelectedEntries().size(), 3);

    station.EnregistrerButton()->click();
    const QDir classFolder(QFileInfo(window->Data().DataFolderPath()).dir().filePath(QStringLiteral("Classe")));
    EXPECT_EQ(classFolder.entryList({QStringLiteral("*.che")}, QDir::Files).size(), 2);  // not the unreadable one
    EXPECT_TRUE(station.MessageLabel()->text().startsWith(QStringLiteral("2 mesure(s) enregistrée(s)")));

    station.CopierButton()->click();
    const QList<ReceivedMeasurements::Entry> newestFirst(Store().Entries().rbegin(), Store().Entries().rend());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), ClassTable::ClipboardText(newestFirst));

    for (int n = 5; n <= ReceivedMeasurements::kCapacity + 2; ++n)
        Store().Add(QStringLiteral("10.0.1.1"), curve, static_cast<quint64>(n));
    station.Refresh();
    EXPECT_EQ(table->rowCount(), ReceivedMeasurements::kCapacity);
    EXPECT_TRUE(station.NoteLabel()->text().contains(QStringLiteral("2 mesure(s) parmi les plus anciennes retirée(s)")))
        << station.NoteLabel()->text().toStdString();

    bool answer = false;
    station.SetQuestion([&](const QString&) { return answer; });
    station.EffacerButton()->click();
    EXPECT_EQ(table->rowCount(), ReceivedMeasurements::kCapacity);
    answer = true;
    station.EffacerButton()->click();
    EXPECT_EQ(table->rowCount(), 0);
    EXPECT_TRUE(station.ChartView()->chart()->series().isEmpty());
}

// An arrival adds its row and nothing else: the rows already listed and the curves already
// drawn stay as they were (the same items, the same series in the same colours), and a curve
// whose measurement leaves the list is taken off the chart.
TEST_F(TeacherStationTest, Arrival_AddsItsRowOnly_DrawnCurvesKeepTheirSeriesAndColours)
{
    QString curve;
    for (int i = 0; i <= 40; ++i)
        curve += QStringLiteral("%1\t0,%2\r").arg(i < 20 ? QStringLiteral("3,000") : QStringLiteral("11,000"))
                     .arg(i * 500, 6, 10, QLatin1Char('0'));
    for (quint64 n = 1; n <= 3; ++n)
        Store().Add(QStringLiteral("10.0.0.%1").arg(n), curve, n);
    TeacherStation& station = commands->Station();
    station.show();
    QTableWidget* table = station.Table();
    ASSERT_EQ(table->rowCount(), 3);
    // The two oldest, as a teacher picks them.
    for (const int row : {1, 2})
        table->selectionModel()->select(table->model()->index(row, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const auto drawn = [&] {
        QList<std::pair<QAbstractSeries*, QColor>> series;
        for (QAbstractSeries* s : station.ChartView()->chart()->series())
            series.append({s, static_cast<QLineSeries*>(s)->pen().color()});
        return series;
    };
    const auto before = drawn();
    ASSERT_EQ(before.size(), 2);
    const QTableWidgetItem* oldest = table->item(2, 0);

    Store().Add(QStringLiteral("10.0.0.4"), curve, 4);
    station.Refresh();
    EXPECT_EQ(table->rowCount(), 4);
    EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("10.0.0.4"));
    EXPECT_EQ(table->item(3, 0), oldest);
    EXPECT_EQ(drawn(), before);

    // The newer of the two is deselected: the other keeps its series and colour.
    table->selectionModel()->select(table->model()->index(2, 0),
                                    QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    EXPECT_EQ(drawn(), decltype(before){before.constLast()});

    // The oldest leaves the list once it is full: its curve leaves the chart.
    for (int n = 5; n <= ReceivedMeasurements::kCapacity + 1; ++n)
        Store().Add(QStringLiteral("10.0.1.1"), curve, static_cast<quint64>(n));
    station.Refresh();
    EXPECT_EQ(table->rowCount(), ReceivedMeasurements::kCapacity);
    EXPECT_TRUE(drawn().isEmpty());
    EXPECT_TRUE(station.SelectedEntries().isEmpty());
}

}  // namespace
