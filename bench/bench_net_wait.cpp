// Processor time that a client of the socket link spends waiting for a reply that never
// comes: a loopback peer accepts and stays silent, the client reads for 2 s and is cancelled.
// Target: under 50 ms. Loopback only.
#include "BenchEnvironment.h"
#include "net/ESocketAbort.h"
#include "net/TSocketLink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

namespace {

double ProcessCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const BenchEnvironment environment;
    constexpr int kWaitMs = 2000;
    constexpr double kTargetMs = 50.0;

    // The silent peer: the kernel completes the connection from the backlog, nobody answers.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof sa;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(listener, 4) != 0
        || ::getsockname(listener, reinterpret_cast<sockaddr*>(&sa), &length) != 0) {
        std::perror("écoute");
        return 1;
    }

    double worstMs = 0;
    for (const char* wait : {"Read(16)", "ReadLn"}) {
        TSocketLink link;
        link.SetHost(QStringLiteral("127.0.0.1"));
        link.SetPort(ntohs(sa.sin_port));
        link.Connect();
        QTimer::singleShot(kWaitMs, Qt::PreciseTimer, &link, [&] { link.Cancel(); });
        QElapsedTimer wall;
        wall.start();
        const double cpuBefore = ProcessCpuMs();
        try {
            if (wait[4] == '(')
                link.Read(16);
            else
                link.ReadLn();
        } catch (const ESocketAbort&) {
            // The cancel ends the wait, as intended.
        }
        const double cpuMs = ProcessCpuMs() - cpuBefore;
        worstMs = std::max(worstMs, cpuMs);
        std::printf("%-9s attente %lld ms, temps processeur %.1f ms\n", wait,
                    static_cast<long long>(wall.elapsed()), cpuMs);
    }
    ::close(listener);
    std::printf("pire cas %.1f ms, cible < %.0f ms : %s\n", worstMs, kTargetMs,
                worstMs < kTargetMs ? "atteinte" : "MANQUÉE");
    return 0;
}
