// What keeping a run recoverable costs the window's thread per sample: RunRecovery::Sample
// queues the sample's line and a flush for the writer's thread, which writes and forces it to
// the disk. Prints the mean, the 99th centile and the worst time of the call on the calling
// thread, in microseconds, for samples taken back to back (the writer busy all the time) and
// for samples 20 ms apart (each flush done before the next sample), and how many flushes the
// disk saw, beside a control loop that makes the same lines and only keeps them in memory (what
// the machine costs by itself). Target: under 1 ms per sample on the window's thread, whatever
// the disk does.
// The state folder is a temporary folder, on the disk of the temporary files unless
// --dossier names another (a USB key, a network folder).
#include "acquisition/RunRecovery.h"
#include "BenchEnvironment.h"
#include "data/RecoveryFile.h"
#include "data/RecoveryWriter.h"
#include "data/RunTiming.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

namespace {

struct Figures {
    double meanUs = 0;
    double p99Us = 0;
    double worstUs = 0;
    int syncs = 0;
};

Figures Summary(std::vector<double> us)
{
    Figures f;
    double sum = 0;
    for (const double u : us)
        sum += u;
    f.meanUs = sum / static_cast<double>(us.size());
    std::sort(us.begin(), us.end());
    f.p99Us = us[us.size() * 99 / 100];
    f.worstUs = us.back();
    return f;
}

// With `control`, the same loop makes the same lines and keeps them in memory instead: what
// the machine costs by itself (a disk or processor busy with something else), to read the
// figures against.
Figures Measure(const QString& folder, int samples, int pauseMs, bool control)
{
    using Steady = std::chrono::steady_clock;
    RunRecovery recovery(folder, [] { return QString(); });
    if (!control)
        recovery.BeginRun(QDateTime::currentDateTime());
    recovery.Writer().WaitIdle();
    QByteArray kept;
    std::vector<double> us;
    us.reserve(static_cast<std::size_t>(samples));
    for (int n = 1; n <= samples; ++n) {
        const Steady::time_point before = Steady::now();
        const std::int64_t endMs = static_cast<std::int64_t>(n) * RunTiming::kSamplePeriodMs;
        if (control) {
            kept += RecoveryFile::SampleLine(n, endMs, 7.0 + n * 1e-3);
            if (n % 3 == 0)
                kept += RecoveryFile::PressLine(endMs + 700);
        } else {
            recovery.Sample(endMs, 7.0 + n * 1e-3);
            if (n % 3 == 0)
                recovery.Press(endMs + 700);
        }
        us.push_back(std::chrono::duration<double, std::micro>(Steady::now() - before).count());
        if (pauseMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
    recovery.Writer().WaitIdle();
    Figures f = Summary(std::move(us));
    f.syncs = recovery.Writer().SyncCount();
    recovery.EndRun(true);
    return f;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const BenchEnvironment environment;
    QString folder = StartupValues::StateDir();
    const QStringList arguments = QCoreApplication::arguments();
    const qsizetype at = arguments.indexOf(QStringLiteral("--dossier"));
    if (at >= 0 && at + 1 < arguments.size())
        folder = QDir(arguments[at + 1]).filePath(QStringLiteral("bench-reprise"));

    std::printf("Dossier : %s\n", qPrintable(QDir::toNativeSeparators(folder)));
    std::printf("%-28s %8s %10s %10s %10s %10s\n", "", "samples", "mean µs", "p99 µs", "worst µs", "fsyncs");
    const struct {
        const char* name;
        int samples;
        int pauseMs;
    } runs[] = {{"back to back", 2000, 0}, {"20 ms apart", 200, 20}};
    bool ok = true;
    for (const auto& r : runs) {
        for (const bool control : {false, true}) {
            const Figures f = Measure(folder, r.samples, r.pauseMs, control);
            const QByteArray name = QByteArray(r.name) + (control ? ", témoin" : "");
            std::printf("%-28s %8d %10.1f %10.1f %10.1f %10d\n", name.constData(), r.samples, f.meanUs, f.p99Us,
                        f.worstUs, f.syncs);
            ok = ok && (control || f.meanUs < 1000);
        }
    }
    std::printf("Cible : moins de 1 ms par échantillon sur le fil de la fenêtre : %s\n", ok ? "atteinte" : "MANQUÉE");
    return ok ? 0 : 1;
}
