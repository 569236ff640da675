#include "board/BoardSetup.h"

#include "board/BoardLog.h"
#include "board/EmulatedBoard.h"
#include "board/LinuxPortBus.h"

#include <QtGlobal>

#include <algorithm>

namespace {

std::unique_ptr<PortBus> OpenLinuxPortBus(QString& error)
{
#ifdef QUORIN_HAS_LINUX_PORT_BUS
    return LinuxPortBus::Open(error);
#else
    error = QStringLiteral("La carte d'acquisition réelle n'est prise en charge que sous Linux sur PC (x86).");
    return nullptr;
#endif
}

const QString kFallBack = QStringLiteral(" Quorin fonctionne sur le banc de simulation.");

BoardSetup Simulation(Clock& clock, const QString& message)
{
    BoardSetup setup;
    setup.bench = std::make_unique<SimulatedBench>(clock);
    setup.bus = std::make_unique<EmulatedBoard>(*setup.bench, clock);
    setup.simulated = true;
    setup.message = message;
    return setup;
}

}  // namespace

bool IsBoardOption(const QString& argument)
{
    return argument == QLatin1String(kRealBoardOption) || argument == QLatin1String(kUsbOption)
        || argument.startsWith(QLatin1String(kUsbOption) + QLatin1Char('='));
}

BoardSetup CreateBoard(const QStringList& arguments, Clock& clock)
{
    return CreateBoard(arguments, qEnvironmentVariable(kBoardEnvironmentVariable), clock, OpenLinuxPortBus);
}

BoardSetup CreateBoard(const QStringList& arguments, const QString& environmentValue, Clock& clock)
{
    return CreateBoard(arguments, environmentValue, clock, OpenLinuxPortBus);
}

BoardSetup CreateKestrolaBoard(const QStringList& arguments, Clock& clock)
{
    QStringList withoutUsb = arguments;
    withoutUsb.removeIf([](const QString& argument) {
        return IsBoardOption(argument) && argument != QLatin1String(kRealBoardOption);
    });
    QString environmentValue = qEnvironmentVariable(kBoardEnvironmentVariable);
    if (environmentValue.trimmed().compare(QLatin1String("usb"), Qt::CaseInsensitive) == 0)
        environmentValue.clear();
    return CreateBoard(withoutUsb, environmentValue, clock, OpenLinuxPortBus);
}

BoardSetup CreateBoard(const QStringList& arguments, const QString& environmentValue, Clock& clock,
                       const RealBusOpener& openRealBus)
{
    enum class Wanted { Bench, Real, Usb };
    Wanted wanted = Wanted::Bench;
    QString usbPort;
    // An option on the command line is the more explicit request: it wins over the variable.
    const auto lastOption = std::find_if(arguments.rbegin(), arguments.rend(), IsBoardOption);
    if (lastOption != arguments.rend()) {
        if (*lastOption == QLatin1String(kRealBoardOption)) {
            wanted = Wanted::Real;
        } else {
            wanted = Wanted::Usb;
            usbPort = lastOption->mid(qsizetype(sizeof kUsbOption));
        }
    } else {
        const QString value = environmentValue.trimmed().toLower();
        if (value == QLatin1String("reelle") || value == QStringLiteral("réelle")) {
            wanted = Wanted::Real;
        } else if (value == QLatin1String("usb")) {
            wanted = Wanted::Usb;
        } else if (!value.isEmpty() && value != QLatin1String("simulation")) {
            const QString refusal = QStringLiteral("Valeur inconnue de la variable %1 : « %2 » (valeurs possibles : "
                                                   "reelle, usb, simulation).")
                                        .arg(QLatin1String(kBoardEnvironmentVariable), environmentValue);
            qCWarning(lcBoard).noquote() << QStringLiteral("Carte refusée : %1").arg(refusal);
            return Simulation(clock, refusal + kFallBack);
        }
    }

    if (wanted == Wanted::Bench)
        return Simulation(clock, QString());
    BoardSetup setup;
    setup.simulated = false;
    if (wanted == Wanted::Usb) {
        UsbInterface::Options options;
        options.portName = usbPort;
        setup.usb = options;
        return setup;
    }
    if (!openRealBus) {
        const QString refusal = QStringLiteral("La carte d'acquisition est inaccessible.");
        qCWarning(lcBoard).noquote() << QStringLiteral("Carte refusée : %1").arg(refusal);
        return Simulation(clock, refusal + kFallBack);
    }
    setup.openRealBus = openRealBus;
    return setup;
}

QString OpenRealBus(BoardSetup& setup)
{
    if (!setup.openRealBus)
        return QString();
    const RealBusOpener open = std::move(setup.openRealBus);
    setup.openRealBus = nullptr;
    QString error;
    setup.bus = open(error);
    if (setup.bus)
        return QString();
    return error.isEmpty() ? QStringLiteral("La carte d'acquisition est inaccessible.") : error;
}

void FallBackToBench(BoardSetup& setup, Clock& clock, const QString& reason)
{
    setup = Simulation(clock, reason + kFallBack);
}
