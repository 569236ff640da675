#include "BoardSetup.h"

#include "EmulatedBoard.h"
#include "LinuxPortBus.h"

#include <QtGlobal>

#include <algorithm>

namespace {

std::unique_ptr<PortBus> OpenRealBus(QString& error)
{
#ifdef QUORIN_HAS_LINUX_PORT_BUS
    return LinuxPortBus::Open(error);
#else
    error = QStringLiteral("La carte d'acquisition réelle n'est prise en charge que sous Linux sur PC (x86).");
    return nullptr;
#endif
}

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
    return CreateBoard(arguments, qEnvironmentVariable(kBoardEnvironmentVariable), clock, OpenRealBus);
}

BoardSetup CreateBoard(const QStringList& arguments, const QString& environmentValue, Clock& clock,
                       const RealBusOpener& openRealBus)
{
    const QString fallBack = QStringLiteral(" Quorin fonctionne sur le banc de simulation.");
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
                                     fallBack);
    }

    QString error;
    std::unique_ptr<PortBus> bus = openRealBus(error);
    if (!bus) {
        if (error.isEmpty())
            error = QStringLiteral("La carte d'acquisition est inaccessible.");
        return Simulation(clock, error + fallBack);
    }
    BoardSetup setup;
    setup.bus = std::move(bus);
    setup.simulated = false;
    return setup;
}
