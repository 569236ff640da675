#include "board/BoardWorker.h"

#include "board/BoardLog.h"
#include "board/BoardRangeError.h"
#include "board/BoardSetup.h"
#include "board/Clock.h"
#include "board/PortBus.h"
#include "board/TTorviC.h"
#include "board/UsbInterface.h"
#include "text/ExceptionText.h"

#include <QThread>

#include <cmath>
#include <exception>
#include <stdexcept>

namespace {

const QString kUnknownFailure = QStringLiteral("Défaillance inconnue de la carte d'acquisition.");

}  // namespace

BoardWorker::BoardWorker(Clock& clock) : clock_(clock)
{
}

BoardWorker::~BoardWorker() = default;

QString BoardWorker::Open(BoardSetup& setup)
{
    const QString refusal = setup.usb ? OpenUsb(setup) : OpenBoard(setup);
    if (refusal.isEmpty())
        qCInfo(lcBoard).noquote() << QStringLiteral("Carte choisie : %1")
                                         .arg(!setup.usbPort.isEmpty()
                                                  ? QStringLiteral("interface USB sur %1").arg(setup.usbPort)
                                                  : setup.simulated ? QStringLiteral("banc de simulation")
                                                                    : QStringLiteral("carte d'acquisition réelle"));
    else
        qCWarning(lcBoard).noquote() << QStringLiteral("Carte refusée : %1").arg(refusal);
    return refusal;
}

QString BoardWorker::OpenBoard(BoardSetup& setup)
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
        usb_.reset();
        bus_ = std::move(setup.bus);
        P = std::move(board);
        return QString();
    } catch (const std::exception& error) {
        setup.bus.reset();
        return ExceptionText(error);
    } catch (...) {
        setup.bus.reset();
        return kUnknownFailure;
    }
}

QString BoardWorker::OpenUsb(BoardSetup& setup)
{
    const UsbInterface::Options options = *setup.usb;
    setup.usb.reset();
    try {
        auto usb = std::make_unique<UsbInterface>(options, clock_);
        const QString refusal = usb->Open();
        if (!refusal.isEmpty())
            return refusal;
        P.reset();
        bus_.reset();
        usb_ = std::move(usb);
        setup.usbPort = usb_->PortName();
        return QString();
    } catch (const std::exception& error) {
        return ExceptionText(error);
    }
}

void BoardWorker::Release()
{
    usb_.reset();
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
        if (usb_) {
            ReadUsb(reading, count, frequency);
            return reading;
        }
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
        reading.failureText = ExceptionText(error);
    } catch (...) {
        reading.failure = BoardReading::Failure::Exception;
        reading.failureText = kUnknownFailure;
    }
    if (reading.failure != BoardReading::Failure::None) {
        if (reading.endedMs == 0)
            reading.endedMs = clock_.NowMs();
        qCWarning(lcBoard).noquote() << QStringLiteral("Mesure en échec : %1").arg(reading.failureText);
    }
    return reading;
}

void BoardWorker::ReadUsb(BoardReading& reading, std::uint32_t count, double frequency)
{
    // The interface is asked for the same window of time as the board: count samples at the
    // frequency; it takes its own samples within it.
    if (count == 0 || !(frequency > 0.0) || !std::isfinite(frequency))
        throw BoardRangeError(QStringLiteral("Durée de mesure impossible : %1 points à %2 Hz.")
                                  .arg(count)
                                  .arg(QString::number(frequency).replace(QLatin1Char('.'), QLatin1Char(','))));
    const double windowMs = std::round(1000.0 * count / frequency);
    const int window = windowMs > 1e9 ? 1000000000 : static_cast<int>(windowMs);
    QString failure;
    reading.startedMs = clock_.NowMs();
    const auto measured = usb_->Measure(window, failure);
    reading.endedMs = clock_.NowMs();
    if (!measured) {
        reading.failure = BoardReading::Failure::Status;
        reading.failureText = QStringLiteral("Interface USB (%1) : %2 ; mesure ignorée.").arg(usb_->PortName(), failure);
        qCWarning(lcBoard).noquote() << QStringLiteral("Mesure en échec : %1").arg(reading.failureText);
        return;
    }
    reading.startedMs = measured->startedMs;
    reading.voltage1 = measured->volts1;
    reading.voltage2 = measured->volts2;
}
