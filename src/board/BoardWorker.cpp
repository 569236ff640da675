#include "BoardWorker.h"

#include "BoardSetup.h"
#include "Clock.h"
#include "PortBus.h"
#include "TTorviC.h"

#include <QLoggingCategory>
#include <QThread>

#include <exception>
#include <new>
#include <stdexcept>

namespace {

Q_LOGGING_CATEGORY(lcBoard, "quorin.board")

// The French text of a failure that reached the worker (what() is UTF-8 in the program).
QString FailureText(const std::exception& error)
{
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return QStringLiteral("Mémoire insuffisante");
    return QString::fromUtf8(error.what());
}

const QString kUnknownFailure = QStringLiteral("Défaillance inconnue de la carte d'acquisition.");

}  // namespace

BoardWorker::BoardWorker(Clock& clock) : clock_(clock)
{
}

BoardWorker::~BoardWorker() = default;

QString BoardWorker::Open(BoardSetup& setup)
{
    try {
        QString refusal = OpenRealBus(setup);
        if (!refusal.isEmpty())
            return refusal;
        if (!setup.bus)
            return QStringLiteral("La carte d'acquisition est inaccessible.");
        auto board = std::make_unique<TTorviC>(*setup.bus, clock_);
        board->setObjectName(QStringLiteral("P"));
        P.reset();
        bus_ = std::move(setup.bus);
        P = std::move(board);
        return QString();
    } catch (const std::exception& error) {
        setup.bus.reset();
        return FailureText(error);
    } catch (...) {
        setup.bus.reset();
        return kUnknownFailure;
    }
}

void BoardWorker::Measure(std::uint64_t tag, std::uint32_t count, double frequency)
{
    // The window is ending the thread: nobody waits for this reading any more.
    if (QThread::currentThread()->isInterruptionRequested())
        return;
    try {
        emit Measured(Read(tag, count, frequency));
    } catch (...) {
        // Only the hand-over itself can fail here (out of memory); there is nothing left to
        // report it with, so the reading is dropped and the requester keeps waiting until the
        // run or calibration ends.
        qCCritical(lcBoard) << "board reading" << tag << "could not be handed over";
    }
}

BoardReading BoardWorker::Read(std::uint64_t tag, std::uint32_t count, double frequency)
{
    BoardReading reading;
    reading.tag = tag;
    try {
        if (!P)
            throw std::runtime_error("La carte d'acquisition est inaccessible.");
        reading.startedMs = clock_.NowMs();
        P->MeasureVoltages(count, frequency);
        reading.endedMs = clock_.NowMs();
        reading.voltage1 = P->Voltage1();
        reading.voltage2 = P->Voltage2();
        // The other codes are warnings about the arguments; this one means the sampling stopped.
        if (P->ErrorCode() == TTorviC::kErrorNoTimerSignal) {
            reading.failure = BoardReading::Failure::Status;
            reading.failureText = P->ErrorMessage();
        }
    } catch (const std::exception& error) {
        reading.failure = BoardReading::Failure::Exception;
        reading.failureText = FailureText(error);
    } catch (...) {
        reading.failure = BoardReading::Failure::Exception;
        reading.failureText = kUnknownFailure;
    }
    if (reading.failure != BoardReading::Failure::None && reading.endedMs == 0)
        reading.endedMs = clock_.NowMs();
    return reading;
}
