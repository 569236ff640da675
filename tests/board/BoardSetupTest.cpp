#include "board/BoardSetup.h"
#include "board/EmulatedBoard.h"
#include "board/TTorviC.h"
#include "FakeClock.h"

#include <gtest/gtest.h>

namespace {

// Stands for the real bus: opening it is counted and its outcome chosen; no port is touched.
class RealBusStub {
public:
    explicit RealBusStub(QString refusal = QString()) : refusal_(std::move(refusal)) {}

    RealBusOpener Opener()
    {
        return [this](QString& error) -> std::unique_ptr<PortBus> {
            ++opened;
            if (!refusal_.isEmpty()) {
                error = refusal_;
                return nullptr;
            }
            auto bus = std::make_unique<EmulatedBoard>(source_, clock_);
            handedOut = bus.get();
            return bus;
        };
    }

    int opened = 0;
    PortBus* handedOut = nullptr;

private:
    class Silence final : public VoltageSource {
        double Voltage(int, double) override { return 0.0; }
    };
    QString refusal_;
    Silence source_;
    FakeClock clock_;
};

const QString kProgram = QStringLiteral("Quorin");
const QString kOption = QStringLiteral("--carte-reelle");

// What the measurement thread does with a setup: opens the real bus it asks for, here on the
// test's thread, and falls back to the bench on a refusal.
void OpenAsTheMeasurementThreadDoes(BoardSetup& setup, Clock& clock)
{
    const QString refusal = OpenRealBus(setup);
    if (!refusal.isEmpty())
        FallBackToBench(setup, clock, refusal);
}

TEST(BoardSetupTest, SimulationUnlessTheRealBoardIsAskedFor)
{
    const struct {
        QStringList arguments;
        QString environment;
    } cases[] = {{{kProgram}, QString()},
                 {{kProgram, QStringLiteral("mesure.che")}, QString()},
                 {{kProgram}, QStringLiteral("simulation")},
                 {{kProgram}, QStringLiteral(" Simulation ")}};
    for (const auto& c : cases) {
        FakeClock clock;
        RealBusStub real;
        const BoardSetup setup = CreateBoard(c.arguments, c.environment, clock, real.Opener());
        EXPECT_TRUE(setup.simulated);
        EXPECT_NE(setup.bench, nullptr);
        EXPECT_NE(dynamic_cast<EmulatedBoard*>(setup.bus.get()), nullptr);
        EXPECT_TRUE(setup.message.isEmpty());
        EXPECT_EQ(real.opened, 0);
    }
}

TEST(BoardSetupTest, UnknownEnvironmentValueIsSaidAndSimulated)
{
    FakeClock clock;
    RealBusStub real;
    const BoardSetup setup = CreateBoard({kProgram}, QStringLiteral("oui"), clock, real.Opener());
    EXPECT_TRUE(setup.simulated);
    EXPECT_EQ(real.opened, 0);
    EXPECT_EQ(setup.message, QStringLiteral("Valeur inconnue de la variable QUORIN_CARTE : « oui » (valeurs possibles : "
                                            "reelle, usb, simulation). Quorin fonctionne sur le banc de simulation."));
}

TEST(BoardSetupTest, RefusedPortAccessFallsBackToTheSimulationAndSaysWhy)
{
    for (const auto& [arguments, environment] :
         {std::pair{QStringList{kProgram, kOption}, QString()}, std::pair{QStringList{kProgram}, QStringLiteral("reelle")},
          std::pair{QStringList{kProgram}, QStringLiteral("RÉELLE")}}) {
        FakeClock clock;
        RealBusStub real(QStringLiteral("Accès aux ports de la carte d'acquisition refusé par le système."));
        BoardSetup setup = CreateBoard(arguments, environment, clock, real.Opener());
        // Only asked for: the thread that measures opens it.
        EXPECT_EQ(real.opened, 0);
        EXPECT_FALSE(setup.simulated);
        OpenAsTheMeasurementThreadDoes(setup, clock);
        EXPECT_EQ(real.opened, 1);
        EXPECT_TRUE(setup.simulated);
        ASSERT_NE(setup.bench, nullptr);
        EXPECT_EQ(setup.message, QStringLiteral("Accès aux ports de la carte d'acquisition refusé par le système. "
                                                "Quorin fonctionne sur le banc de simulation."));
    }
}

TEST(BoardSetupTest, GrantedPortAccessUsesTheRealBus)
{
    FakeClock clock;
    RealBusStub real;
    BoardSetup setup = CreateBoard({kProgram, kOption}, QStringLiteral("nimporte"), clock, real.Opener());
    EXPECT_EQ(real.opened, 0);
    OpenAsTheMeasurementThreadDoes(setup, clock);
    EXPECT_EQ(real.opened, 1);
    EXPECT_FALSE(setup.simulated);
    EXPECT_EQ(setup.bench, nullptr);
    EXPECT_EQ(setup.bus.get(), real.handedOut);
    EXPECT_TRUE(setup.message.isEmpty());
}

TEST(BoardSetupTest, SimulatedBoardMeasuresTheBench)
{
    FakeClock clock;
    BoardSetup setup = CreateBoard({kProgram}, QString(), clock, RealBusStub().Opener());
    setup.bench->SetPlace(SimulatedBench::ElectrodePlace::Buffer4);
    TTorviC P(*setup.bus, clock);
    const std::int64_t before = clock.NowMs();
    P.MeasureVoltages(15700, 15700.0);
    EXPECT_EQ(clock.NowMs() - before, 1000);
    EXPECT_NEAR(P.Voltage1(), SimulatedBench::ElectrodeVoltage(4.0), 0.0003);
}

TEST(BoardSetupTest, OnlyTheExactOptionAsksForTheRealBoard)
{
    EXPECT_TRUE(IsBoardOption(kOption));
    EXPECT_FALSE(IsBoardOption(QStringLiteral("--carte-reelle=1")));
    EXPECT_FALSE(IsBoardOption(QStringLiteral("carte-reelle.che")));
}

TEST(BoardSetupTest, UsbOptionOrVariableAsksForTheInterface_TheLastOptionWins)
{
    const struct Case {
        QStringList arguments;
        QString environment;
        bool usb;
        QString port;
    } cases[] = {
        {{kProgram, QStringLiteral("--carte-usb")}, QString(), true, QString()},
        {{kProgram, QStringLiteral("--carte-usb=/dev/ttyACM1"), QStringLiteral("a.che")}, QString(), true,
         QStringLiteral("/dev/ttyACM1")},
        {{kProgram}, QStringLiteral(" USB "), true, QString()},
        {{kProgram, kOption, QStringLiteral("--carte-usb")}, QString(), true, QString()},
        {{kProgram, QStringLiteral("--carte-usb"), kOption}, QStringLiteral("usb"), false, QString()},
        {{kProgram, QStringLiteral("--carte-usbx")}, QString(), false, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        FakeClock clock;
        RealBusStub real;
        const BoardSetup setup = CreateBoard(c.arguments, c.environment, clock, real.Opener());
        EXPECT_EQ(setup.usb.has_value(), c.usb);
        if (setup.usb) {
            EXPECT_EQ(setup.usb->portName, c.port);
            EXPECT_FALSE(setup.simulated);
            EXPECT_FALSE(setup.bench);
        }
    }
}

}  // namespace
