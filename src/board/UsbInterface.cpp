#include "board/UsbInterface.h"

#include "board/BoardLog.h"
#include "board/Clock.h"

#include <QSerialPort>
#include <QSerialPortInfo>
#include <QThread>

#include <algorithm>

namespace {

// Makers of the Uno and of the USB-serial chips its compatible boards carry, tried first.
constexpr quint16 kLikelyVendors[] = {0x2341, 0x2A03, 0x1A86, 0x0403, 0x10C4};

// The system's own texts follow its language; the operator reads French.
QString PortErrorText(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("port introuvable");
    case QSerialPort::PermissionError:
        return QStringLiteral("accès refusé (port déjà ouvert, ou droits manquants : voir la règle udev de Quorin)");
    case QSerialPort::OpenError:
        return QStringLiteral("port déjà ouvert");
    case QSerialPort::ResourceError:
        return QStringLiteral("interface débranchée");
    case QSerialPort::UnsupportedOperationError:
        return QStringLiteral("ce port n'est pas un port série");
    default:
        return QStringLiteral("erreur du port série");
    }
}

bool Interrupted()
{
    return QThread::currentThread()->isInterruptionRequested();
}

}  // namespace

UsbInterface::UsbInterface(Options options, Clock& clock) : options_(std::move(options)), clock_(clock)
{
}

UsbInterface::~UsbInterface() = default;

bool UsbInterface::Connected() const
{
    return port_ && port_->isOpen();
}

QString UsbInterface::Open()
{
    const QString refusal = Find();
    if (refusal.isEmpty())
        qCInfo(lcBoard).noquote() << QStringLiteral("Interface USB Quorin sur %1").arg(portName_);
    return refusal;
}

QString UsbInterface::Find()
{
    QStringList names;
    if (!options_.portName.isEmpty())
        names << options_.portName;
    else if (options_.listPorts)
        names = options_.listPorts();
    if (names.isEmpty())
        return QStringLiteral("Aucune interface Quorin : aucun port série USB n'est branché.");
    // The port the interface was on comes back first when it is plugged in again.
    if (!portName_.isEmpty() && names.removeAll(portName_) > 0)
        names.prepend(portName_);
    QStringList refusals;
    for (const QString& name : names) {
        if (Interrupted())
            break;
        const QString reason = TryPort(name);
        if (reason.isEmpty())
            return QString();
        refusals << QStringLiteral("Aucune interface Quorin sur %1 : %2.").arg(name, reason);
    }
    return refusals.join(QLatin1Char(' '));
}

QString UsbInterface::TryPort(const QString& name)
{
    Lose();
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(name);
    port->setBaudRate(UsbProtocol::kBaudRate);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    if (!port->open(QIODevice::ReadWrite))
        return PortErrorText(port->error());
    port_ = std::move(port);
    portName_ = name;

    const std::int64_t openedMs = clock_.NowMs();
    QString reason = QStringLiteral("pas de réponse à la demande d'identification");
    do {
        sequence_ = UsbProtocol::NextSequence(sequence_);
        QString failure;
        const auto answer = Exchange(UsbProtocol::IdentifyRequest(sequence_),
                                     clock_.NowMs() + options_.identifyRetryMs, failure);
        if (answer) {
            const QString refusal = UsbProtocol::CheckIdentity(*answer, sequence_);
            if (refusal.isEmpty())
                return QString();
            reason = refusal;
        } else if (!Connected()) {
            return failure;
        }
    } while (clock_.NowMs() - openedMs < options_.identifyWithinMs && !Interrupted());
    Lose();
    return reason;
}

void UsbInterface::Lose()
{
    port_.reset();
}

std::optional<QByteArray> UsbInterface::Exchange(const QByteArray& request, std::int64_t deadlineMs,
                                                 QString& failure)
{
    // What an earlier request left on the line (a late answer) is not this one's.
    port_->clear(QSerialPort::Input);
    port_->readAll();
    port_->clearError();
    if (port_->write(request) != request.size() || !port_->waitForBytesWritten(options_.answerMarginMs)) {
        failure = PortErrorText(port_->error());
        Lose();
        return std::nullopt;
    }
    UsbProtocol::AnswerReader reader(deadlineMs);
    for (;;) {
        const auto state = reader.Take(port_->readAll(), clock_.NowMs());
        if (state == UsbProtocol::AnswerReader::State::Complete)
            return reader.Line();
        if (state != UsbProtocol::AnswerReader::State::Waiting) {
            failure = reader.FailureText();
            return std::nullopt;
        }
        const auto wait = std::max<std::int64_t>(1, deadlineMs - clock_.NowMs() + 1);
        if (!port_->waitForReadyRead(static_cast<int>(wait))) {
            const QSerialPort::SerialPortError error = port_->error();
            if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError) {
                failure = PortErrorText(error);
                Lose();
                return std::nullopt;
            }
            port_->clearError();
        }
    }
}

std::optional<UsbInterface::Reading> UsbInterface::Measure(int windowMs, QString& failure)
{
    if (windowMs < UsbProtocol::kMinWindowMs || windowMs > UsbProtocol::kMaxWindowMs) {
        failure = QStringLiteral("durée de mesure de %1 ms hors des limites de l'interface (%2 à %3 ms)")
                      .arg(windowMs)
                      .arg(UsbProtocol::kMinWindowMs)
                      .arg(UsbProtocol::kMaxWindowMs);
        return std::nullopt;
    }
    if (!Connected()) {
        const QString refusal = Find();
        if (!refusal.isEmpty()) {
            failure = QStringLiteral("interface absente ou débranchée. %1").arg(refusal);
            return std::nullopt;
        }
        qCInfo(lcBoard).noquote() << QStringLiteral("Interface USB Quorin retrouvée sur %1").arg(portName_);
    }
    sequence_ = UsbProtocol::NextSequence(sequence_);
    Reading reading;
    reading.startedMs = clock_.NowMs();
    const auto answer = Exchange(UsbProtocol::MeasureRequest(sequence_, windowMs),
                                 reading.startedMs + windowMs + options_.answerMarginMs, failure);
    if (!answer)
        return std::nullopt;
    const auto measurement = UsbProtocol::ParseMeasurement(*answer, sequence_, failure);
    if (!measurement)
        return std::nullopt;
    reading.volts1 = measurement->millivolts1 / 1000.0;
    reading.volts2 = measurement->millivolts2 / 1000.0;
    reading.samples = measurement->samples;
    return reading;
}

QStringList UsbInterface::UsbSerialPorts()
{
    QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    // Ports without a USB maker are the PC's own (ttyS*): no interface sits there.
    ports.removeIf([](const QSerialPortInfo& port) { return !port.hasVendorIdentifier(); });
    const auto likely = [](const QSerialPortInfo& port) {
        return std::find(std::begin(kLikelyVendors), std::end(kLikelyVendors), port.vendorIdentifier())
            != std::end(kLikelyVendors);
    };
    std::stable_partition(ports.begin(), ports.end(), likely);
    QStringList names;
    for (const QSerialPortInfo& port : ports)
        names << port.systemLocation();
    return names;
}
