#include "BoardSetup.h"

#include "EmulatedBoard.h"
#include "LinuxPortBus.h"

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
    return argument == QLatin1String(kRealBoardOption);
}

BoardSetup CreateBoard(const QStringList& arguments, Clock& clock)
{
    return CreateBoard(arguments, qEnvironmentVariable(kBoardEnvironmentVariable), clock, OpenLinuxPortBus);
}

BoardSetup CreateBoard(const QStringList& arguments, const QString& environmentValue, Clock& clock,
                       const RealBusOpener& openRealBus)
{
    const QString wanted = environmentValue.trimmed().toLower();
    const bool realWanted = wanted == QLatin1String("reelle") || wanted == QStringLiteral("réelle");
    // The option on the command line is the more explicit request: it wins over the variable.
    const bool byOption = std::any_of(arguments.begin(), arguments.end(), IsBoardOption);
    if (!byOption && !realWanted) {
        if (wanted.isEmpty() || wanted == QLatin1String("simulation"))
            return Simulation(clock, QString());
        return Simulation(clock, QStringLiteral("Valeur inconnue de la variable %1 : « %2 » (valeurs possibles : "
                                                "reelle, simulation).")
                                         .arg(QLatin1String(kBoardEnvironmentVariable), environmentValue) +
                                     kFallBack);
    }

    if (!openRealBus)
        return Simulation(clock, QStringLiteral("La carte d'acquisition est inaccessible.") + kFallBack);
    BoardSetup setup;
    setup.openRealBus = openRealBus;
    setup.simulated = false;
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
