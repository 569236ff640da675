// Opening a chemistry file in the real main window, offscreen, and drawing it: the processor
// time (every thread) from the open until the window falls idle, the window's own start-up and
// an idle wait of the same length subtracted. Then a zoom into the jump of the curve: four
// rubber-band drags, each to the middle tenth of the plot, as a user narrows in on it.
//
//   QT_QPA_PLATFORM=offscreen build-bench/bench/bench_open_window [points...]
//
// Prints one line per size: the median of the repetitions, in seconds of processor time.
// Linear cost shows as a constant "µs/point" column.
#include "BenchEnvironment.h"
#include "board/BoardSetup.h"
#include "board/Clock.h"
#include "data/ChemistryFile.h"
#include "data/MeasurementRecord.h"
#include "data/NumberText.h"
#include "window/RecordChart.h"
#include "window/TFAcquisition.h"

#include <QApplication>
#include <QChart>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMouseEvent>
#include <QThread>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// A titration curve of `points` points one microlitre apart (the resolution of the volume
// cells, so that every point has a volume of its own), its jump in the middle.
QString CurveText(int points)
{
    QString text;
    text.reserve(static_cast<qsizetype>(points) * 18);
    const double middleL = points * 0.5e-6;
    const double widthL = points * 0.005e-6;
    for (int r = 0; r < points; ++r) {
        const double volumeL = r * 1e-6;
        const double pH = 3.0 + 8.0 / (1.0 + std::exp(-(volumeL - middleL) / widthL));
        text += NumberText::Fixed(pH, 4, 3);
        text += QLatin1Char('\t');
        text += NumberText::Fixed(volumeL, 6, 6);
        text += QLatin1Char('\r');
    }
    text += QStringLiteral("\r\r\r");
    return text;
}

// Runs the event loop for `ms` of wall time, sleeping between turns as an idle program does.
void Settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

// Until the record holds `points` points (the open may run on a worker), then idle.
void WaitForPoints(TFAcquisition& window, int points)
{
    QElapsedTimer timer;
    timer.start();
    while (window.Record().PointCount() != points && timer.elapsed() < 120000) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
}

constexpr int kSettleMs = 800;

void Drag(QWidget* viewport, QPoint from, QPoint to)
{
    const auto send = [viewport](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(at), QPointF(viewport->mapToGlobal(at)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    for (int step = 1; step <= 4; ++step)
        send(QEvent::MouseMove, from + (to - from) * step / 4, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    QApplication::processEvents();
}

struct Figures {
    double open = 0;
    double zoom = 0;
};

Figures Measure(const QString& path, int points, double idleCpu)
{
    Clock& clock = MonotonicClock::Instance();
    TFAcquisition::MessageEndpoint endpoint;
    endpoint.port = 0;
    endpoint.address = QHostAddress(QHostAddress::LocalHost);
    TFAcquisition window(clock, CreateBoard(QStringList(), QString(), clock, nullptr), endpoint);
    window.show();
    Settle(kSettleMs);

    Figures figures;
    double start = ProcessCpuSeconds();
    window.OpenNamedFile(path);
    WaitForPoints(window, points);
    Settle(kSettleMs);
    figures.open = ProcessCpuSeconds() - start - idleCpu;
    if (window.Record().PointCount() != points)
        std::fprintf(stderr, "fichier mal relu : %d points\n", window.Record().PointCount());

    start = ProcessCpuSeconds();
    QChart* chart = window.Chart1->chart();
    for (int i = 0; i < 4; ++i) {
        // The jump is at the middle of the volume range and of the pH axis.
        const QRectF plot = chart->plotArea();
        const QPointF centre = plot.center();
        const QPointF half(plot.width() * 0.05, plot.height() * 0.3);
        Drag(window.Chart1->viewport(), (centre - half).toPoint(), (centre + half).toPoint());
        Settle(kSettleMs / 4);
    }
    Settle(kSettleMs);
    figures.zoom = ProcessCpuSeconds() - start - idleCpu * 2;
    return figures;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const BenchEnvironment environment;
    std::vector<int> sizes;
    for (const QString& argument : app.arguments().mid(1))
        sizes.push_back(argument.toInt());
    if (sizes.empty())
        sizes = {1'000, 5'000, 19'000, 21'000, 100'000, 1'000'000};

    const double idleStart = ProcessCpuSeconds();
    Settle(kSettleMs);
    const double idleCpu = ProcessCpuSeconds() - idleStart;

    std::printf("%10s %10s %12s %12s %12s\n", "points", "file MB", "open cpu s", "µs/point", "zoom cpu s");
    for (const int points : sizes) {
        const QString path = QDir(environment.Path()).filePath(QStringLiteral("Mesures%1.che").arg(points));
        ChemistryFile::Write(path, ChemistryFile::BuildFileText(QStringList(), HeaderValues(), CurveText(points)));
        const int repetitions = points >= 1'000'000 ? 3 : 5;
        std::vector<double> opens;
        std::vector<double> zooms;
        for (int i = 0; i < repetitions; ++i) {
            const Figures f = Measure(path, points, idleCpu);
            opens.push_back(f.open);
            zooms.push_back(f.zoom);
        }
        const double open = Median(opens);
        std::printf("%10d %10.1f %12.3f %12.2f %12.3f\n", points, QFileInfo(path).size() / 1e6, open,
                    open / points * 1e6, Median(zooms));
        std::fflush(stdout);
    }
    return 0;
}
