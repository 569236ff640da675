// The USB interface on the simulated microcontroller (the build's firmware image, its UART on a
// pseudo-terminal), in real time, as the program uses it:
//  1. 20 measurements of 1 000 ms one after the other: the time from the request to the reading
//     on the window's thread, beyond the 1 000 ms window (the answer line, the terminal, the
//     threads), mean and worst; and how far the simulated time was from the real one.
//  2. A run of 40 samples through the window: the mean, shortest and longest period between
//     samples and the drift of the last one. Target: mean within 2 ms of 1 500 ms.
// Takes about 80 s. Its message server listens on a free loopback port.
#include "acquisition/MeasurementRun.h"
#include "AvrBoard.h"
#include "board/BoardSetup.h"
#include "board/Clock.h"
#include "board/MeasurementThread.h"
#include "data/MeasurementRecord.h"
#include "data/RunTiming.h"
#include "support/StartupValues.h"
#include "window/TFAcquisition.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

namespace {

int RequestLatency(AvrBoard& avr, Clock& clock)
{
    constexpr int kRequests = 20;
    BoardSetup setup = CreateBoard({QStringLiteral("bench"), QStringLiteral("--carte-usb=") + avr.PortName()},
                                   QString(), clock, nullptr);
    MeasurementThread thread(clock);
    const QString refusal = thread.Open(setup);
    if (!refusal.isEmpty()) {
        std::printf("Interface refusée : %s\n", qPrintable(refusal));
        return 1;
    }
    std::vector<double> beyond;
    QElapsedTimer timer;
    QEventLoop loop;
    QObject::connect(&thread, &MeasurementThread::Measured, [&](const BoardReading& reading) {
        if (reading.failure != BoardReading::Failure::None) {
            std::printf("Mesure en échec : %s\n", qPrintable(reading.failureText));
            loop.exit(1);
            return;
        }
        beyond.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6 - 1000.0);
        if (beyond.size() == kRequests) {
            loop.exit(0);
            return;
        }
        timer.start();
        thread.Request(15700, 15700.0);
    });
    timer.start();
    thread.Request(15700, 15700.0);
    if (loop.exec() != 0)
        return 1;
    const auto times = avr.Times();
    const double mean = std::accumulate(beyond.begin(), beyond.end(), 0.0) / static_cast<double>(beyond.size());
    const auto [low, high] = std::minmax_element(beyond.begin(), beyond.end());
    std::printf("Demande -> lecture, au-delà de la fenêtre de 1000 ms (%zu mesures) : moyenne %.1f ms, "
                "plus court %.1f ms, plus long %.1f ms\n",
                beyond.size(), mean, *low, *high);
    if (times)
        std::printf("Temps simulé %lld ms pour %lld ms réels (retard du simulateur : %lld ms)\n",
                    static_cast<long long>(times->first), static_cast<long long>(times->second),
                    static_cast<long long>(times->second - times->first));
    return 0;
}

int RunPeriod(AvrBoard& avr, Clock& clock)
{
    constexpr int kSamples = 40;
    TFAcquisition::MessageEndpoint endpoint;
    endpoint.port = 0;
    endpoint.address = QHostAddress(QHostAddress::LocalHost);
    TFAcquisition window(clock,
                         CreateBoard({QStringLiteral("bench"), QStringLiteral("--carte-usb=") + avr.PortName()},
                                     QString(), clock, nullptr),
                         endpoint);
    if (window.BoardInUse().simulated) {
        std::printf("Interface refusée : %s\n", qPrintable(window.StatusText()));
        return 1;
    }
    window.show();
    // A loop of its own: the application's quit would close the window, which writes settings.
    QEventLoop loop;
    std::vector<std::int64_t> ends;
    QObject::connect(&window.Record(), &MeasurementRecord::SampleAppended, [&](int row, double) {
        ends.push_back(window.Run().LastSampleTick());
        if (row == kSamples)
            QTimer::singleShot(0, &loop, [&] {
                window.Run().Button2KeyUp(Qt::Key_Return);
                loop.quit();
            });
    });
    QObject::connect(&window.Measurement(), &MeasurementThread::Measured, [&](const BoardReading& reading) {
        if (reading.failure != BoardReading::Failure::None) {
            std::printf("Mesure en échec : %s\n", qPrintable(reading.failureText));
            loop.exit(1);
        }
    });
    window.Run().Button2KeyUp(Qt::Key_Return);
    if (loop.exec() != 0 || ends.size() < 2)
        return 1;
    std::vector<double> periods;
    for (std::size_t i = 1; i < ends.size(); ++i)
        periods.push_back(static_cast<double>(ends[i] - ends[i - 1]));
    const double mean = std::accumulate(periods.begin(), periods.end(), 0.0) / static_cast<double>(periods.size());
    const auto [low, high] = std::minmax_element(periods.begin(), periods.end());
    const double drift = static_cast<double>(ends.back() - ends.front())
        - static_cast<double>(ends.size() - 1) * RunTiming::kSamplePeriodMs;
    std::printf("Échantillons : %zu\n", ends.size());
    std::printf("Période moyenne : %.2f ms (nominale %d ms, cible : à 2 ms près)\n", mean,
                RunTiming::kSamplePeriodMs);
    std::printf("Période la plus courte : %.0f ms, la plus longue : %.0f ms\n", *low, *high);
    std::printf("Dérive après le dernier échantillon : %.0f ms\n", drift);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Nothing of these runs is kept: data folder and settings are temporary.
    QTemporaryDir programDir;
    qputenv("XDG_CONFIG_HOME", programDir.path().toLocal8Bit());
    QApplication app(argc, argv);
    StartupValues::SetProgramDir(programDir.path());
    MonotonicClock& clock = MonotonicClock::Instance();
    AvrBoard avr;
    if (!avr.Started() || !avr.SetMillivolts(0, 2500.0)) {
        std::printf("Simulateur non démarré : %s\n", qPrintable(avr.Error()));
        return 1;
    }
    if (RequestLatency(avr, clock) != 0)
        return 1;
    return RunPeriod(avr, clock);
}
