#include "BoardSetup.h"
#include "EmulatedBoard.h"
#include "FakeClock.h"
#include "MeasurementThread.h"

#include <QSignalSpy>
#include <QThread>

#include <gtest/gtest.h>

namespace {

class Silence final : public VoltageSource {
    double Voltage(int, double) override { return 0.0; }
};

// The real bus is opened on the measurement thread, where its port permissions are granted,
// and measures there once taken; a refusal leaves the setup without a bus for the fallback.
TEST(MeasurementThreadTest, TheRealBusIsOpenedAndReadOnTheMeasurementThread)
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

        QSignalSpy measured(&thread, &MeasurementThread::Measured);
        const std::uint64_t tag = thread.Request(157, 15700.0);
        ASSERT_TRUE(measured.wait(10000));
        const auto reading = measured.at(0).at(0).value<BoardReading>();
        EXPECT_EQ(reading.tag, tag);
        EXPECT_EQ(reading.failure == BoardReading::Failure::None, c.refusal.isEmpty());
        if (c.refusal.isEmpty()) {
            EXPECT_NEAR(reading.voltage1, 0.00125, 1e-6);  // code 2048: the converter's reading of 0 V
        }
    }
}

}  // namespace
