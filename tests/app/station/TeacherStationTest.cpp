#include "station/TeacherStation.h"

#include "data/ClassTable.h"
#include "data/NumberText.h"
#include "data/ReceivedMeasurements.h"
#include "files/DataCommands.h"
#include "net/TMainMsgServer.h"
#include "net/TMsgSender.h"
#include "RunFixture.h"
#include "station/ClassPanel.h"
#include "station/HistogramView.h"
#include "station/StationCommands.h"
#include "support/ErrorBox.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QLineSeries>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>

#include <cmath>
#include <latch>
#include <numeric>
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
    const QStringList copied = QGuiApplication::clipboard()->text().split(QLatin1Char('\r'));
    ASSERT_GE(copied.size(), 6);
    EXPECT_EQ(copied[0], QStringLiteral("Heure\tAdresse\tPoints\tVe (mL)\tpH à Ve/2\tÉcart / s\tRemarque"));
    EXPECT_TRUE(copied[1].startsWith(QStringLiteral("09:05:03\t10.0.0.4\t61\t19,75\t3,00\t"))) << copied[1].toStdString();
    EXPECT_EQ(copied[3], QStringLiteral("09:05:03\t10.0.0.2\tillisible\t\t\t\t"));
    EXPECT_EQ(copied[6], QStringLiteral("Valeurs retenues\t3"));

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

// A rising step from pH 3 to 11 between two readings 0,1 mL apart, the first at 15 mL: Ve is
// half way between them.
QString StepCurve(double veMl)
{
    QString curve;
    const int jump = static_cast<int>(std::lround((veMl - 15.0) / 0.1 - 0.5));
    for (int i = 0; i <= 100; ++i)
        curve += QStringLiteral("%1\t%2\r").arg(i <= jump ? QStringLiteral("3,000") : QStringLiteral("11,000"),
                                                NumberText::Fixed((15.0 + i * 0.1) / 1000, 6, 6));
    return curve + QStringLiteral("\r\r\r");
}

// The class's results follow each arrival; a bench is left out with a click and back in, by its
// tick or by the button; Cb and Va typed give Ca and are remembered; the table and statistics
// are copied and printed; a report that cannot be written says so.
TEST_F(TeacherStationTest, ClassResults_FollowArrivals_LeftOutAndBack_CaFromTheClassQuantities_CopiedAndPrinted)
{
    TeacherStation& station = commands->Station();
    station.show();
    QTableWidget* table = station.Table();
    // 23 benches from 19,85 to 20,25 mL, then one at 23,05 mL: far beyond 2 s.
    double sumOfTheTwentyThree = 0.0;
    for (int b = 0; b < 24; ++b) {
        const double ve = b < 23 ? 19.85 + 0.1 * (b % 5) : 23.05;
        sumOfTheTwentyThree += b < 23 ? ve : 0.0;
        Store().Add(QStringLiteral("127.0.0.%1").arg(b + 2), StepCurve(ve), static_cast<quint64>(b + 1));
    }
    station.Refresh();
    const auto remark = [&](int row) { return table->item(row, TeacherStation::kRemarkColumn); };
    EXPECT_EQ(station.Statistics().count, 24);
    EXPECT_TRUE(station.Panel()->SummaryLabel()->text().startsWith(QStringLiteral("24 valeurs : moyenne Ve = ")))
        << station.Panel()->SummaryLabel()->text().toStdString();
    const std::vector<int>& counts = station.Panel()->Histogram()->Picture().histogram.counts;
    EXPECT_EQ(std::accumulate(counts.begin(), counts.end(), 0), 24);
    EXPECT_EQ(remark(0)->text(), QStringLiteral("au-delà de 2 s"));  // the newest: the stray bench
    EXPECT_TRUE(remark(0)->background().color().isValid());
    EXPECT_EQ(remark(1)->text(), QString());

    // Left out by its tick, back in; then by the button on the selected row, and back.
    const double meanOfAll = station.Statistics().mean;
    for (const bool byButton : {false, true}) {
        SCOPED_TRACE(byButton ? "button" : "tick");
        if (byButton) {
            table->selectRow(0);
            station.EcarterButton()->click();
        } else {
            remark(0)->setCheckState(Qt::Unchecked);
        }
        EXPECT_EQ(station.Statistics().count, 23);
        EXPECT_NEAR(station.Statistics().mean, sumOfTheTwentyThree / 23, 1e-9);
        EXPECT_EQ(remark(0)->text(), QStringLiteral("écarté"));
        EXPECT_EQ(remark(0)->checkState(), Qt::Unchecked);
        EXPECT_TRUE(station.Panel()->SummaryLabel()->text().startsWith(QStringLiteral("23 valeurs")));
        if (byButton)
            station.EcarterButton()->click();
        else
            remark(0)->setCheckState(Qt::Checked);
        EXPECT_EQ(station.Statistics().count, 24);
        EXPECT_DOUBLE_EQ(station.Statistics().mean, meanOfAll);
    }
    remark(0)->setCheckState(Qt::Unchecked);

    // A new arrival keeps the bench left out and counts at once.
    Store().Add(QStringLiteral("127.0.0.30"), StepCurve(20.05), 25);
    station.Refresh();
    EXPECT_EQ(station.Statistics().count, 24);
    EXPECT_EQ(remark(1)->text(), QStringLiteral("écarté"));

    // The class's Cb and Va: Ca for each bench, remembered for the next start; a typed value
    // that is not a positive number is refused at the field.
    EXPECT_TRUE(table->isColumnHidden(TeacherStation::kCaColumn));
    ClassPanel* panel = station.Panel();
    panel->VaEdit()->setText(QStringLiteral("-3"));
    QTest::keyClick(panel->VaEdit(), Qt::Key_Return);
    EXPECT_TRUE(panel->FieldMessage()->text().contains(QStringLiteral("n'est pas un volume positif")));
    EXPECT_FALSE(station.Statistics().ofConcentration);
    panel->CbEdit()->setText(QStringLiteral("0,0100"));
    panel->VaEdit()->setText(QStringLiteral("25.0"));
    QTest::keyClick(panel->VaEdit(), Qt::Key_Return);
    EXPECT_TRUE(panel->FieldMessage()->isHidden());
    ASSERT_TRUE(station.Statistics().ofConcentration);
    EXPECT_FALSE(table->isColumnHidden(TeacherStation::kCaColumn));
    EXPECT_NEAR(station.Statistics().mean, 0.01 * (sumOfTheTwentyThree + 20.05) / 24 / 25.0, 1e-12);
    EXPECT_EQ(table->item(5, TeacherStation::kCaColumn)->text(), QStringLiteral("8,10E-3"));  // 20,25 mL
    EXPECT_EQ(QSettings().value(QStringLiteral("PosteProfesseur/Va")).toString(), QStringLiteral("25.0"));
    EXPECT_TRUE(ClassPanel().Quantities().has_value());

    station.CopierButton()->click();
    const QStringList copied = QGuiApplication::clipboard()->text().split(QLatin1Char('\r'));
    EXPECT_EQ(copied[0], QStringLiteral("Heure\tAdresse\tPoints\tVe (mL)\tpH à Ve/2\tCa (mol/L)\tÉcart / s\tRemarque"));
    EXPECT_TRUE(copied.contains(QStringLiteral("Valeurs retenues\t24")));
    EXPECT_TRUE(copied.filter(QStringLiteral("Moyenne de Ca en mol/L\t8,01")).size() == 1)
        << copied.join(u'|').toStdString();

    // The report where the teacher says; one that cannot be written shows the error box only.
    QTemporaryDir folder;
    QString chosen = folder.filePath(QStringLiteral("classe.pdf"));
    station.SetFileDialogRunner([&](QFileDialog&) { return chosen; });
    QStringList boxes;
    ErrorBox::SetPresenter([&](const QString& text) { boxes << text; });
    station.RapportButton()->click();
    QFile pdf(chosen);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
    EXPECT_TRUE(station.MessageLabel()->text().startsWith(QStringLiteral("Rapport de classe enregistré")));
    chosen = folder.filePath(QStringLiteral("absent/classe.pdf"));
    station.RapportButton()->click();
    ErrorBox::SetPresenter({});
    EXPECT_EQ(boxes.size(), 1);
    EXPECT_FALSE(QFile::exists(chosen));
    EXPECT_TRUE(station.MessageLabel()->text().isEmpty());
}

// A conductivity curve is drawn against a conductivity axis from 0, in mS/cm, beside the pH axis.
TEST_F(TeacherStationTest, ConductivityCurve_OnItsOwnAxis)
{
    QString text;
    for (int ml = 0; ml <= 30; ++ml)
        text += QStringLiteral("%1\t%2\r").arg(NumberText::Fixed(ml < 20 ? 4000.0 - 150 * ml : 1000.0 + 100 * (ml - 20), 5, 1),
                                               NumberText::Fixed(ml / 1000.0, 6, 6));
    Store().Add(QStringLiteral("127.0.0.2"), text + QStringLiteral("\r\r\rConductivité (µS/cm)\r"), 1);
    Store().Add(QStringLiteral("127.0.0.3"), StepCurve(20.05), 2);
    TeacherStation& station = commands->Station();
    station.show();
    QTableWidget* table = station.Table();
    EXPECT_EQ(table->item(1, 4)->text(), QStringLiteral("Conductivité (µS/cm), Va inconnu"));
    EXPECT_EQ(table->item(1, 3)->text(), QStringLiteral("20,00"));
    table->selectAll();
    QValueAxis* conductivity = nullptr;
    for (QAbstractAxis* axis : station.ChartView()->chart()->axes(Qt::Vertical))
        if (axis->titleText().startsWith(QStringLiteral("Conductivité")))
            conductivity = static_cast<QValueAxis*>(axis);
    ASSERT_NE(conductivity, nullptr);
    EXPECT_TRUE(conductivity->isVisible());
    EXPECT_EQ(conductivity->min(), 0.0);
    EXPECT_EQ(conductivity->max(), 5.0);  // 4 000 µS/cm = 4 mS/cm
    table->clearSelection();
    EXPECT_FALSE(conductivity->isVisible());
    // The class's Va corrects its dilution: the row is analysed again.
    station.Panel()->VaEdit()->setText(QStringLiteral("50"));
    QTest::keyClick(station.Panel()->VaEdit(), Qt::Key_Return);
    EXPECT_EQ(table->item(1, 4)->text(), QStringLiteral("Conductivité (µS/cm)"));
    ASSERT_TRUE(Store().Entries().front().conductimetric);
    EXPECT_TRUE(Store().Entries().front().conductimetric->dilutionCorrected);
}

}  // namespace
