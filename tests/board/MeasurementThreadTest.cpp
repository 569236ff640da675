#include "board/BoardSetup.h"
#include "board/EmulatedBoard.h"
#include "board/MeasurementThread.h"
#include "FakeClock.h"

#include <QThread>

#include <gtest/gtest.h>

namespace {

class Silence final : public VoltageSource {
    double Voltage(int, double) override { return 0.0; }
};

// The real bus is opened on the measurement thread, where its port permissions are granted,
// and taken there; a refusal leaves the setup without a bus for the fallback.
TEST(MeasurementThreadTest, TheRealBusIsOpenedOnTheMeasurementThread)
{
    const struct {
        const char* name;
        QString refusal;
    } cases[] = {{"granted", QString()},
                 {"refused", QStringLiteral("Accès aux ports de la carte d'acquisition refusé par le système.")}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeClock clock;
        Silence silence;
        QThread* openedOn = nullptr;
        BoardSetup setup = CreateBoard({QStringLiteral("--carte-reelle")}, QString(), clock,
                                       [&](QString& error) -> std::unique_ptr<PortBus> {
                                           openedOn = QThread::currentThread();
                                           error = c.refusal;
                                           if (!c.refusal.isEmpty())
                                               return nullptr;
                                           return std::make_unique<EmulatedBoard>(silence, clock);
                                       });
        MeasurementThread thread(clock);
        EXPECT_EQ(thread.Open(setup), c.refusal);
        EXPECT_EQ(openedOn, thread.Thread());
        EXPECT_NE(openedOn, QThread::currentThread());
        EXPECT_EQ(setup.bus, nullptr);
    }
}

}  // namespace
