#include "board/LinuxPortBus.h"

#ifdef QUORIN_HAS_LINUX_PORT_BUS

#include "board/BoardProtocol.h"

#include <pthread.h>
#include <sched.h>
#include <sys/io.h>
#include <sys/mman.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>

namespace {

// The timer wants a short pause between two accesses to its registers.
constexpr auto kSettle = std::chrono::microseconds(20);

// The system's own texts follow its language; the operator reads French.
QString SystemText(int error)
{
    switch (error) {
    case EPERM:
    case EACCES:
        return QStringLiteral("droits insuffisants");
    case EINVAL:
        return QStringLiteral("adresse de port non valable");
    case ENOSYS:
        return QStringLiteral("accès direct aux ports non pris en charge par ce système");
    case ENOMEM:
        return QStringLiteral("mémoire insuffisante");
    default:
        return QStringLiteral("erreur système %1").arg(error);
    }
}

}  // namespace

std::unique_ptr<LinuxPortBus> LinuxPortBus::Open(QString& error)
{
    using namespace BoardProtocol;
    auto bus = std::make_unique<LinuxPortBus>(OpenKey{});
    int code = 0;
    if (!bus->Request(kBaseAddress, kRegisterCount, code) || !bus->Request(kTimer2CountPort, 2, code)
        || !bus->Request(kSystemControlPort, 1, code)) {
        error = QStringLiteral("Accès aux ports de la carte d'acquisition refusé par le système (%1).").arg(SystemText(code));
        if (code == EPERM || code == EACCES)
            error += QStringLiteral(" Il faut lancer Quorin avec les droits d'administrateur (capacité CAP_SYS_RAWIO).");
        return nullptr;
    }
    // Where permitted; without it the sampling may just be interrupted more often.
    mlockall(MCL_CURRENT);
    return bus;
}

bool LinuxPortBus::Request(std::uint16_t first, std::uint16_t count, int& error)
{
    if (ioperm(first, count, 1) != 0) {
        error = errno;
        return false;
    }
    for (std::uint16_t port = first; port < first + count; ++port)
        granted_.set(port);
    return true;
}

void LinuxPortBus::Grant(std::uint16_t port)
{
    if (port < granted_.size() && granted_.test(port))
        return;
    int error = 0;
    const auto block = static_cast<std::uint16_t>(port & ~0x0F);
    if (port >= granted_.size() || !Request(block, 16, error))
        throw std::runtime_error(
            QStringLiteral("Accès au port 0x%1 refusé par le système.").arg(port, 3, 16, QLatin1Char('0')).toStdString());
}

void LinuxPortBus::OutByte(std::uint16_t port, std::uint8_t value)
{
    Grant(port);
    outb(value, port);
}

std::uint8_t LinuxPortBus::InByte(std::uint16_t port)
{
    Grant(port);
    return inb(port);
}

std::uint16_t LinuxPortBus::InWord(std::uint16_t port)
{
    Grant(port);
    Grant(static_cast<std::uint16_t>(port + 1));
    return inw(port);
}

void LinuxPortBus::EnterCritical()
{
    sched_param param{};
    if (pthread_getschedparam(pthread_self(), &savedPolicy_, &param) != 0)
        return;
    savedPriority_ = param.sched_priority;
    sched_param highest{};
    highest.sched_priority = sched_get_priority_max(SCHED_FIFO);
    priorityRaised_ = pthread_setschedparam(pthread_self(), SCHED_FIFO, &highest) == 0;
}

void LinuxPortBus::LeaveCritical()
{
    if (!priorityRaised_)
        return;
    sched_param saved{};
    saved.sched_priority = savedPriority_;
    pthread_setschedparam(pthread_self(), savedPolicy_, &saved);
    priorityRaised_ = false;
}

void LinuxPortBus::Settle()
{
    const auto until = std::chrono::steady_clock::now() + kSettle;
    while (std::chrono::steady_clock::now() < until) {
    }
}

std::int64_t LinuxPortBus::NowNs()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

#endif
