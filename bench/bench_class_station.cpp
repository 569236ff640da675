// The teacher's station under a class, in three parts.
//
// classe: 32 students send their titration to the station at the same moment. Each sender is
// a TMsgSender on a thread of its own, leaving from its own loopback address (127.0.0.11 to
// 127.0.0.42); each titration is taken on the simulated bench. Prints the time from the start
// to the last acknowledgement, and checks that all 32 texts arrived and that the analysis
// found each one's equivalence.
//
// expediteurs: 50 senders, each on its own loopback address (127.0.0.101 to 127.0.0.150),
// each sending 20 titrations one after the other, 1 000 messages in all: how many are
// acknowledged, and the time from the start of each send to its acknowledgement (median,
// 99th percentile, worst). Target: all acknowledged, 99 % within 100 ms.
//
// inactifs: 150 connections from one address (127.0.0.250) that send nothing, then 10
// senders from other addresses one after the other: how long each waits for its
// acknowledgement while the silent ones are held. Target: each within 100 ms.
//
// poste: the window's processor time per arrival, with the station open and 200 measurements
// listed (none, 10 or all of them selected): 20 arrivals, one every 100 ms, each from a sender
// on another thread; the window's thread's processor time over the arrivals, less the same
// wait without arrivals, divided by 20. Target: under 20 ms.
//
// statistiques: the station's own refresh with its widgets, 200 listed and the class's Cb and Va
// given: one arrival (its analysis, its row, the statistics of all 200 with their cells, the
// summary, the histogram, the repaint), then a bench left out and back in (the statistics and
// their cells alone), timed each on the wall clock and in processor time. Target: under 20 ms.
//
//   bench_class_station                 every part, a station in this process on a free loopback port
//   bench_class_station --partie poste  one part (classe, expediteurs, inactifs, poste or statistiques)
//   bench_class_station --port 6711     one round of the class sent to a running program on this computer
//   options: --hote ADRESSE, --tours N (rounds of the class, 7 by default),
//            --selection N (the station's part with N selected only),
//            --une-adresse oui (the 50 senders all from 127.0.0.101, as behind one address)
#include "BenchEnvironment.h"
#include "board/Clock.h"
#include "board/SimulatedBench.h"
#include "data/NumberText.h"
#include "data/ReceivedMeasurements.h"
#include "data/RunTiming.h"
#include "net/TMainMsgServer.h"
#include "net/TMsgSender.h"
#include "station/ClassPanel.h"
#include "station/StationCommands.h"
#include "station/TeacherStation.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QLoggingCategory>
#include <QTableWidget>
#include <QThread>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <latch>
#include <memory>
#include <vector>

namespace {

constexpr int kStudents = 32;
constexpr double kLastMl = 30.0;

class ManualClock final : public Clock {
public:
    std::int64_t NowMs() const override { return now_; }
    void WaitUntil(std::int64_t deadlineMs) override { now_ = std::max(now_, deadlineMs); }

private:
    std::int64_t now_ = 0;
};

// Each student's soda is made up off the bench's 0,01 mol/L (0,85 to 1,15 times it, spread so
// that neighbouring addresses differ): the volume that student reads for the same state of the
// beaker is the bench's divided by that factor, and Ve moves with it.
double SodaFactor(int student)
{
    return 0.85 + 0.30 * ((student * 13) % kStudents) / (kStudents - 1);
}

// One run on the simulated bench: the electrode sampled every 1,5 s while the burette flows,
// read through a calibration made in its own buffers (the electrode's offset cancels out), the
// volume as the student reads it. Odd students titrate ethanoic acid, even ones hydrochloric.
QString StudentTitration(int student)
{
    ManualClock clock;
    SimulatedBench bench(clock, nullptr, static_cast<std::uint32_t>(100 + student));
    bench.SetAcid(student % 2 ? SimulatedBench::Acid::Ethanoic : SimulatedBench::Acid::Hydrochloric);
    bench.SetPlace(SimulatedBench::ElectrodePlace::Beaker);
    bench.SetSecondsPerMl(3.0 + student % 5);
    bench.OpenTap();
    const double factor = SodaFactor(student);
    QString text;
    for (int k = 0;; ++k) {
        const double t = k * RunTiming::kSamplePeriodMs;
        const double readMl = bench.PouredVolumeMlAt(t) / factor;
        if (readMl > kLastMl)
            break;
        const double volts = bench.Voltage(1, t);
        const double pH = 7.0 + (volts - SimulatedBench::kElectrodeOffsetV) / SimulatedBench::kNernstSlopeVPerPH;
        text += NumberText::Fixed(pH, 5, 3) + QLatin1Char('\t') + NumberText::Fixed(readMl / 1000.0, 6, 6)
                + QLatin1Char('\r');
    }
    return text + QStringLiteral("\r\r\r");
}

// Runs this thread's event loop (without spinning: the waits cost no processor time) until
// `done` holds or `timeoutMs` passes.
bool RunUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() > timeoutMs)
            loop.quit();
    });
    check.start(2);
    if (!done())
        loop.exec();
    return done();
}

void RunFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct Round {
    double lastAckMs = 0;
    int acknowledged = 0;
    QStringList failures;
};

// All students send at once; this thread serves the station meanwhile (accepts run here).
Round SendTogether(const QString& host, std::uint16_t port, const std::vector<QString>& texts)
{
    Round round;
    std::latch start(kStudents + 1);
    std::atomic<int> finished{0};
    std::vector<std::atomic<qint64>> ackNs(kStudents);
    std::vector<QString> errors(kStudents);
    QElapsedTimer clock;
    std::vector<std::unique_ptr<QThread>> senders;
    for (int c = 0; c < kStudents; ++c) {
        senders.emplace_back(QThread::create([&, c] {
            TMsgSender sender;
            sender.SetBindAddress(QHostAddress(QStringLiteral("127.0.0.%1").arg(11 + c)));
            sender.SetHost(host);
            sender.SetPort(port);
            sender.SetConnectLimit(10'000);
            sender.SetReplyLimit(10'000);
            start.arrive_and_wait();
            try {
                const QString reply = sender.SendText(texts[static_cast<std::size_t>(c)]);
                if (reply.startsWith(QStringLiteral("OK")))
                    ackNs[static_cast<std::size_t>(c)] = clock.nsecsElapsed();
                else
                    errors[static_cast<std::size_t>(c)] = QStringLiteral("réponse « %1 »").arg(reply);
            } catch (const std::exception& error) {
                errors[static_cast<std::size_t>(c)] = QString::fromUtf8(error.what());
            }
            ++finished;
        }));
        senders.back()->start();
    }
    clock.start();
    start.arrive_and_wait();
    RunUntil([&] { return finished == kStudents; }, 60'000);
    for (const auto& thread : senders)
        thread->wait();
    for (int c = 0; c < kStudents; ++c) {
        const qint64 ns = ackNs[static_cast<std::size_t>(c)];
        if (ns > 0) {
            ++round.acknowledged;
            round.lastAckMs = std::max(round.lastAckMs, ns / 1e6);
        } else {
            round.failures << QStringLiteral("127.0.0.%1 : %2").arg(11 + c).arg(errors[static_cast<std::size_t>(c)]);
        }
    }
    return round;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// The value below which `share` of the values lie.
double Percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(share * static_cast<double>(values.size()))) - 1;
    return values[std::min(rank, values.size() - 1)];
}

// The station as the program has it: the server hands each text over to the store.
struct Station {
    TMainMsgServer server{nullptr, 0, QHostAddress(QHostAddress::LocalHost)};
    ReceivedMeasurements store;
    Station() { StationCommands::HandOver(server, store); }
};

bool RunClass(Station* station, const QString& host, int port, int rounds, const std::vector<QString>& texts)
{
    const auto bySize = [](const QString& a, const QString& b) { return a.size() < b.size(); };
    std::printf("classe : %d élèves, %lld à %lld octets par texte, vers %s:%d\n", kStudents,
                static_cast<long long>(std::min_element(texts.begin(), texts.end(), bySize)->size()),
                static_cast<long long>(std::max_element(texts.begin(), texts.end(), bySize)->size()), qPrintable(host),
                port);
    std::vector<double> lastAcks;
    bool ok = true;
    for (int r = 1; r <= rounds; ++r) {
        if (station)
            station->store.Clear();
        const Round round = SendTogether(host, static_cast<std::uint16_t>(port), texts);
        lastAcks.push_back(round.lastAckMs);
        std::printf("tour %d : %d/%d accusés de réception, le dernier après %.1f ms", r, round.acknowledged, kStudents,
                    round.lastAckMs);
        for (const QString& failure : round.failures)
            std::printf("\n  échec %s", qPrintable(failure));
        ok = ok && round.acknowledged == kStudents;
        if (!station) {
            std::printf("\n");
            continue;
        }
        const bool arrived = RunUntil([&] { return station->store.Entries().size() == kStudents; }, 10'000);
        int analysed = 0;
        double worstVeError = 0;
        for (const ReceivedMeasurements::Entry& entry : station->store.Entries()) {
            const int student = entry.peerAddress.section(QLatin1Char('.'), 3).toInt() - 11;
            if (!entry.readable || !entry.equivalence || student < 0 || student >= kStudents)
                continue;
            ++analysed;
            worstVeError = std::max(worstVeError, std::abs(entry.equivalence->volumeMl - 20.0 / SodaFactor(student)));
        }
        std::printf(" ; %lld reçus, %d analysés (Ve à %.2f mL près au pire)\n",
                    static_cast<long long>(station->store.Entries().size()), analysed, worstVeError);
        ok = ok && arrived && analysed == kStudents;
    }
    std::printf("dernier accusé de réception : médiane %.1f ms, min %.1f ms, max %.1f ms sur %d tour(s)\n",
                Median(lastAcks), *std::min_element(lastAcks.begin(), lastAcks.end()),
                *std::max_element(lastAcks.begin(), lastAcks.end()), rounds);
    std::printf("%s\n", !ok ? "ÉCHEC" : station ? "tous arrivés et analysés" : "tous accusés");
    return ok;
}

// 50 senders, each on its own address, 20 messages each one after the other.
bool RunSenders(Station& station, const std::vector<QString>& texts, bool oneAddress)
{
    constexpr int kSenders = 50;
    constexpr int kMessages = 20;
    station.store.Clear();
    const std::uint16_t port = station.server.LocalPort();
    std::latch start(kSenders);
    std::atomic<int> finished{0};
    std::vector<std::vector<double>> ackMs(kSenders);
    std::vector<QStringList> errors(kSenders);
    std::vector<std::unique_ptr<QThread>> senders;
    for (int c = 0; c < kSenders; ++c) {
        senders.emplace_back(QThread::create([&, c] {
            TMsgSender sender;
            sender.SetBindAddress(QHostAddress(QStringLiteral("127.0.0.%1").arg(oneAddress ? 101 : 101 + c)));
            sender.SetHost(QStringLiteral("127.0.0.1"));
            sender.SetPort(port);
            sender.SetConnectLimit(10'000);
            sender.SetReplyLimit(10'000);
            start.arrive_and_wait();
            for (int k = 0; k < kMessages; ++k) {
                QElapsedTimer clock;
                clock.start();
                try {
                    const QString reply = sender.SendText(texts[static_cast<std::size_t>((c + k) % kStudents)]);
                    if (reply.startsWith(QStringLiteral("OK")))
                        ackMs[static_cast<std::size_t>(c)].push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
                    else
                        errors[static_cast<std::size_t>(c)] << QStringLiteral("réponse « %1 »").arg(reply);
                } catch (const std::exception& error) {
                    errors[static_cast<std::size_t>(c)] << QString::fromUtf8(error.what());
                }
            }
            ++finished;
        }));
        senders.back()->start();
    }
    QElapsedTimer total;
    total.start();
    RunUntil([&] { return finished == kSenders; }, 120'000);
    const double totalMs = static_cast<double>(total.elapsed());
    for (const auto& thread : senders)
        thread->wait();
    std::vector<double> all;
    for (const auto& times : ackMs)
        all.insert(all.end(), times.begin(), times.end());
    const bool arrived = RunUntil([&] { return station.store.Entries().size() == std::min(kSenders * kMessages, 200); }, 10'000);
    std::printf("expediteurs : %d expéditeurs sur 127.0.0.101 à 127.0.0.%d, %d messages chacun l'un après l'autre\n",
                kSenders, oneAddress ? 101 : 100 + kSenders, kMessages);
    std::printf("%zu/%d accusés de réception en %.0f ms ; accusé après : médiane %.1f ms, 99 %% sous %.1f ms, pire %.1f ms\n",
                all.size(), kSenders * kMessages, totalMs, Median(all), Percentile(all, 0.99),
                all.empty() ? 0.0 : *std::max_element(all.begin(), all.end()));
    int shown = 0;
    for (int c = 0; c < kSenders; ++c)
        for (const QString& error : errors[static_cast<std::size_t>(c)])
            if (shown++ < 10)
                std::printf("  échec 127.0.0.%d : %s\n", 101 + c, qPrintable(error));
    const bool ok = all.size() == kSenders * kMessages && arrived;
    std::printf("%s\n", ok ? "tous accusés" : "ÉCHEC");
    return ok;
}

// A plain connection from `from` that will send nothing; -1 when refused.
int SilentConnection(const char* from, std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in source{};
    source.sin_family = AF_INET;
    ::inet_pton(AF_INET, from, &source.sin_addr);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&source), sizeof source) != 0
        || ::connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Other computers served while one holds its places with connections that send nothing.
bool RunIdleFlood(Station& station, const std::vector<QString>& texts)
{
    constexpr int kSilent = 150;
    constexpr int kOthers = 10;
    const std::uint16_t port = station.server.LocalPort();
    std::vector<int> silent;
    for (int i = 0; i < kSilent; ++i)
        silent.push_back(SilentConnection("127.0.0.250", port));
    RunFor(200);  // every one accepted, or turned away
    const int held = station.server.ClientCount();
    std::vector<double> ackMs;
    QStringList failures;
    std::atomic<bool> done{false};
    std::unique_ptr<QThread> senders(QThread::create([&] {
        for (int k = 0; k < kOthers; ++k) {
            TMsgSender sender;
            sender.SetBindAddress(QHostAddress(QStringLiteral("127.0.0.%1").arg(160 + k)));
            sender.SetHost(QStringLiteral("127.0.0.1"));
            sender.SetPort(port);
            sender.SetConnectLimit(10'000);
            sender.SetReplyLimit(10'000);
            QElapsedTimer clock;
            clock.start();
            try {
                if (sender.SendText(texts[static_cast<std::size_t>(k)]).startsWith(QStringLiteral("OK")))
                    ackMs.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
                else
                    failures << QStringLiteral("127.0.0.%1 : pas d'accusé").arg(160 + k);
            } catch (const std::exception& error) {
                failures << QStringLiteral("127.0.0.%1 : %2").arg(160 + k).arg(QString::fromUtf8(error.what()));
            }
        }
        done = true;
    }));
    senders->start();
    RunUntil([&] { return done.load(); }, 60'000);
    senders->wait();
    std::printf("inactifs : %d connexions muettes de 127.0.0.250, %d gardées ; %zu/%d autres expéditeurs servis, "
                "accusé après : médiane %.1f ms, pire %.1f ms\n",
                kSilent, held, ackMs.size(), kOthers, Median(ackMs),
                ackMs.empty() ? 0.0 : *std::max_element(ackMs.begin(), ackMs.end()));
    for (const QString& failure : failures)
        std::printf("  échec %s\n", qPrintable(failure));
    const bool ok = static_cast<int>(ackMs.size()) == kOthers;
    std::printf("%s\n", ok ? "tous servis" : "ÉCHEC");
    for (const int fd : silent)
        if (fd >= 0)
            ::close(fd);
    RunUntil([&] { return station.server.ClientCount() == 0; }, 10'000);
    return ok;
}

// The window's thread's processor time per arrival, the station open with 200 listed.
bool RunStationWindow(Station& station, const std::vector<QString>& texts, const QList<int>& selections)
{
    constexpr int kArrivals = 20;
    constexpr int kPauseMs = 100;
    const std::uint16_t port = station.server.LocalPort();
    TeacherStation window(station.store);
    window.show();
    std::printf("poste : fenêtre du poste ouverte, %d mesures listées, %d arrivées espacées de %d ms\n",
                ReceivedMeasurements::kCapacity, kArrivals, kPauseMs);
    bool ok = true;
    for (const int selected : selections) {
        station.store.Clear();
        for (int n = 0; n < ReceivedMeasurements::kCapacity; ++n)
            station.store.Add(QStringLiteral("127.0.0.%1").arg(11 + n % kStudents), texts[static_cast<std::size_t>(n % kStudents)],
                              TMsgServer::NextArrivalNumber());
        window.Refresh();
        QTableWidget* table = window.Table();
        table->clearSelection();
        for (int row = 0; row < selected; ++row)
            table->selectionModel()->select(table->model()->index(row, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
        RunFor(300);

        // The same waits without arrivals: what the window's thread spends anyway.
        double idle = ThreadCpuMs();
        for (int k = 0; k < kArrivals; ++k)
            RunFor(kPauseMs);
        idle = ThreadCpuMs() - idle;

        const std::size_t before = static_cast<std::size_t>(station.store.Entries().size());
        int sent = 0;
        double busy = ThreadCpuMs();
        for (int k = 0; k < kArrivals; ++k) {
            std::atomic<bool> done{false};
            std::unique_ptr<QThread> sender(QThread::create([&, k] {
                TMsgSender link;
                link.SetBindAddress(QHostAddress(QStringLiteral("127.0.0.%1").arg(201 + k)));
                link.SetHost(QStringLiteral("127.0.0.1"));
                link.SetPort(port);
                link.SetConnectLimit(10'000);
                link.SetReplyLimit(10'000);
                try {
                    if (link.SendText(texts[static_cast<std::size_t>(k % kStudents)]).startsWith(QStringLiteral("OK")))
                        ++sent;
                } catch (const std::exception&) {
                    // Counted as missing below.
                }
                done = true;
            }));
            sender->start();
            RunFor(kPauseMs);
            RunUntil([&] { return done.load(); }, 10'000);
            sender->wait();
        }
        busy = ThreadCpuMs() - busy;
        const bool kept = station.store.Entries().size() == ReceivedMeasurements::kCapacity
            && station.store.Entries().constLast().arrivalNumber > before;
        const int drawn = static_cast<int>(window.SelectedEntries().size());
        std::printf("%3d sélectionnées (%3d courbes tracées) : %.2f ms de processeur par arrivée (%.1f ms en tout, %.1f ms sans arrivée) ; %d/%d reçues\n",
                    selected, drawn, (busy - idle) / kArrivals, busy, idle, sent, kArrivals);
        ok = ok && sent == kArrivals && kept;
    }
    std::printf("%s\n", ok ? "toutes reçues" : "ÉCHEC");
    return ok;
}

// The station's refresh with its widgets: an arrival, then a bench left out and back.
bool RunStatisticsRefresh(const std::vector<QString>& texts)
{
    constexpr int kArrivals = 60;
    ReceivedMeasurements store;
    TeacherStation window(store);
    window.Panel()->CbEdit()->setText(QStringLiteral("0,0100"));
    window.Panel()->VaEdit()->setText(QStringLiteral("20,0"));
    emit window.Panel()->VaEdit()->editingFinished();
    window.show();
    quint64 number = 0;
    for (int n = 0; n < ReceivedMeasurements::kCapacity; ++n, ++number)
        store.Add(QStringLiteral("127.0.0.%1").arg(11 + n % kStudents), texts[static_cast<std::size_t>(n % kStudents)],
                  number + 1);
    window.Refresh();
    RunFor(300);
    std::printf("statistiques : %d mesures listées, Cb et Va donnés (statistiques de Ca)\n", ReceivedMeasurements::kCapacity);

    const auto time = [](const std::function<void()>& work, std::vector<double>& wall, std::vector<double>& cpu) {
        QElapsedTimer clock;
        clock.start();
        const double before = ThreadCpuMs();
        work();
        // The repaint of what changed, as the event loop would do it next.
        QCoreApplication::processEvents();
        cpu.push_back(ThreadCpuMs() - before);
        wall.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    };
    std::vector<double> arrivalWall, arrivalCpu, toggleWall, toggleCpu;
    for (int k = 0; k < kArrivals; ++k, ++number) {
        time([&] {
            store.Add(QStringLiteral("127.0.0.%1").arg(201 + k % 50), texts[static_cast<std::size_t>(k % kStudents)],
                      number + 1);
            window.Refresh();
        }, arrivalWall, arrivalCpu);
        // Out, then back in: the class stays whole from one arrival to the next.
        window.Table()->selectRow(5);
        for (int twice = 0; twice < 2; ++twice) {
            time([&] { window.EcarterButton()->click(); }, toggleWall, toggleCpu);
            RunFor(5);
        }
    }
    const auto worst = std::max_element(arrivalWall.begin(), arrivalWall.end());
    std::printf("arrivée + rafraîchissement : médiane %.2f ms (processeur %.2f ms), pire %.2f ms (processeur %.2f ms, "
                "arrivée n° %d)\n",
                Median(arrivalWall), Median(arrivalCpu), *worst,
                arrivalCpu[static_cast<std::size_t>(worst - arrivalWall.begin())],
                static_cast<int>(worst - arrivalWall.begin()) + 1);
    std::printf("banc écarté ou repris : médiane %.2f ms (processeur %.2f ms), pire %.2f ms\n", Median(toggleWall),
                Median(toggleCpu), *std::max_element(toggleWall.begin(), toggleWall.end()));
    const bool ok = Median(arrivalWall) < 20.0 && Median(toggleWall) < 20.0
        && window.Statistics().count == ReceivedMeasurements::kCapacity;
    std::printf("%s (%d valeurs retenues)\n", ok ? "sous 20 ms" : "ÉCHEC", window.Statistics().count);
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const BenchEnvironment environment;
    // One line per message received would drown the figures.
    QLoggingCategory::setFilterRules(QStringLiteral("quorin.*.info=false"));
    QString host = QStringLiteral("127.0.0.1");
    QString part;
    QList<int> selections{0, 10, ReceivedMeasurements::kCapacity};
    bool oneAddress = false;
    int port = 0;
    int rounds = 0;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == QStringLiteral("--port"))
            port = arguments[i + 1].toInt();
        else if (arguments[i] == QStringLiteral("--hote"))
            host = arguments[i + 1];
        else if (arguments[i] == QStringLiteral("--tours"))
            rounds = arguments[i + 1].toInt();
        else if (arguments[i] == QStringLiteral("--partie"))
            part = arguments[i + 1];
        else if (arguments[i] == QStringLiteral("--une-adresse"))
            oneAddress = arguments[i + 1] == QStringLiteral("oui");
        else if (arguments[i] == QStringLiteral("--selection"))
            selections = {arguments[i + 1].toInt()};
    }
    const bool remote = port > 0;
    rounds = rounds > 0 ? rounds : (remote ? 1 : 7);

    std::vector<QString> texts;
    for (int c = 0; c < kStudents; ++c)
        texts.push_back(StudentTitration(c));
    if (remote)
        return RunClass(nullptr, host, port, rounds, texts) ? 0 : 1;

    Station station;
    bool ok = true;
    if (part.isEmpty() || part == QStringLiteral("classe"))
        ok = RunClass(&station, host, station.server.LocalPort(), rounds, texts) && ok;
    if (part.isEmpty() || part == QStringLiteral("expediteurs"))
        ok = RunSenders(station, texts, oneAddress) && ok;
    if (part.isEmpty() || part == QStringLiteral("inactifs"))
        ok = RunIdleFlood(station, texts) && ok;
    if (part.isEmpty() || part == QStringLiteral("poste"))
        ok = RunStationWindow(station, texts, selections) && ok;
    if (part.isEmpty() || part == QStringLiteral("statistiques"))
        ok = RunStatisticsRefresh(texts) && ok;
    return ok ? 0 : 1;
}
