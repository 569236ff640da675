// A class at the end of a lesson: 32 students send their titration to the teacher's station at
// the same moment. Each sender is a TMsgSender on a thread of its own, leaving from its own
// loopback address (127.0.0.11 to 127.0.0.42); each titration is taken on the simulated bench.
// Prints the time from the start to the last acknowledgement, and checks that all 32 texts
// arrived and that the analysis found each one's equivalence.
//
//   bench_class_station                 a station in this process, on a free loopback port, 7 rounds
//   bench_class_station --port 6711     one round sent to a running program on this computer
//   options: --hote ADRESSE, --tours N
#include "BenchEnvironment.h"
#include "Clock.h"
#include "NumberText.h"
#include "ReceivedMeasurements.h"
#include "SimulatedBench.h"
#include "TMainMsgServer.h"
#include "TMsgSender.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QThread>

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
constexpr double kSamplePeriodMs = 1500.0;

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
        const double t = k * kSamplePeriodMs;
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

bool PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
    return true;
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
    PumpUntil([&] { return finished == kStudents; }, 60'000);
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

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const BenchEnvironment environment;
    QString host = QStringLiteral("127.0.0.1");
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
    }
    const bool remote = port > 0;
    rounds = rounds > 0 ? rounds : (remote ? 1 : 7);

    std::vector<QString> texts;
    for (int c = 0; c < kStudents; ++c)
        texts.push_back(StudentTitration(c));

    // The station as the program has it: the server hands each text over, queued, to the store.
    std::unique_ptr<TMainMsgServer> server;
    ReceivedMeasurements store;
    if (!remote) {
        server = std::make_unique<TMainMsgServer>(nullptr, 0, QHostAddress(QHostAddress::LocalHost));
        QObject::connect(server.get(), &TMainMsgServer::MessageReceived, &store, &ReceivedMeasurements::Add,
                         Qt::QueuedConnection);
        port = server->LocalPort();
    }

    const auto bySize = [](const QString& a, const QString& b) { return a.size() < b.size(); };
    std::printf("%d élèves, %lld à %lld octets par texte, vers %s:%d\n", kStudents,
                static_cast<long long>(std::min_element(texts.begin(), texts.end(), bySize)->size()),
                static_cast<long long>(std::max_element(texts.begin(), texts.end(), bySize)->size()), qPrintable(host),
                port);
    std::vector<double> lastAcks;
    bool ok = true;
    for (int r = 1; r <= rounds; ++r) {
        store.Clear();
        const Round round = SendTogether(host, static_cast<std::uint16_t>(port), texts);
        lastAcks.push_back(round.lastAckMs);
        std::printf("tour %d : %d/%d accusés de réception, le dernier après %.1f ms", r, round.acknowledged, kStudents,
                    round.lastAckMs);
        for (const QString& failure : round.failures)
            std::printf("\n  échec %s", qPrintable(failure));
        ok = ok && round.acknowledged == kStudents;
        if (remote) {
            std::printf("\n");
            continue;
        }
        const bool arrived = PumpUntil([&] { return store.Entries().size() == kStudents; }, 10'000);
        int analysed = 0;
        double worstVeError = 0;
        for (const ReceivedMeasurements::Entry& entry : store.Entries()) {
            const int student = entry.peerAddress.section(QLatin1Char('.'), 3).toInt() - 11;
            if (!entry.readable || !entry.equivalence || student < 0 || student >= kStudents)
                continue;
            ++analysed;
            worstVeError = std::max(worstVeError, std::abs(entry.equivalence->volumeMl - 20.0 / SodaFactor(student)));
        }
        std::printf(" ; %lld reçus, %d analysés (Ve à %.2f mL près au pire)\n",
                    static_cast<long long>(store.Entries().size()), analysed, worstVeError);
        ok = ok && arrived && analysed == kStudents;
    }
    std::printf("dernier accusé de réception : médiane %.1f ms, min %.1f ms, max %.1f ms sur %d tour(s)\n",
                Median(lastAcks), *std::min_element(lastAcks.begin(), lastAcks.end()),
                *std::max_element(lastAcks.begin(), lastAcks.end()), rounds);
    std::printf("%s\n", !ok ? "ÉCHEC" : remote ? "tous accusés" : "tous arrivés et analysés");
    return ok ? 0 : 1;
}
