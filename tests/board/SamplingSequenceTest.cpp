#include "BoardTestRig.h"

namespace {

using Kind = PortAccess::Kind;

class SamplingSequenceTest : public BoardTestRig {
protected:
    // The log without timestamps, each run of identical timer polls kept once: how many polls
    // an edge takes depends on the bus's speed, their order does not.
    std::vector<PortAccess> CollapsedLog() const
    {
        std::vector<PortAccess> collapsed;
        for (PortAccess access : board.Log()) {
            access.tick = 0;
            if (access.kind == Kind::In && access.port == 0x61 && !collapsed.empty() && collapsed.back() == access)
                continue;
            collapsed.push_back(access);
        }
        return collapsed;
    }
};

PortAccess Out(std::uint16_t port, std::uint16_t value)
{
    return {Kind::Out, port, value, 0};
}
PortAccess In(std::uint16_t port, std::uint16_t value)
{
    return {Kind::In, port, value, 0};
}
PortAccess InWord(std::uint16_t port, std::uint16_t value)
{
    return {Kind::InWord, port, value, 0};
}

TEST_F(SamplingSequenceTest, MeasureVoltages_PerformsTheBoardsPortSequence)
{
    constexpr std::uint32_t kCount = 15700;
    // Code 0x5A3 on channel 1 and 0x1C7 on channel 2, with the unused low nibble of the high byte set.
    source.SetCodes(0x5A3, 0x1C7);
    Restart();
    P->MeasureVoltages(kCount, 15700.0);
    EXPECT_EQ(P->ErrorCode(), 0);

    const PortAccess timerHigh = In(0x61, 0x21);
    const PortAccess timerLow = In(0x61, 0x01);
    std::vector<PortAccess> expected = {
        {Kind::EnterCritical, 0, 0, 0},
        // Gate and speaker off; the output of an idle channel reads high.
        In(0x61, 0x20), Out(0x61, 0x20), Out(0x43, 0xB6), Out(0x42, 76), Out(0x42, 0),
        In(0x61, 0x20), Out(0x61, 0x21),
        // Priming pass: the high half is waited out, then an edge; converter 1 read and dropped.
        timerHigh, timerLow, timerHigh, InWord(0x280, 0x0A00), Out(0x280, 0xFF), Out(0x282, 0xFF),
    };
    for (std::uint32_t pass = 1; pass <= kCount; ++pass) {
        for (const PortAccess& access : {timerHigh, timerLow, timerHigh, InWord(0x280, 0x3A5A), InWord(0x282, 0x7A1C),
                                         Out(0x280, 0xFF), Out(0x282, 0xFF)})
            expected.push_back(access);
    }
    expected.push_back({Kind::LeaveCritical, 0, 0, 0});

    const std::vector<PortAccess> actual = CollapsedLog();
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i)
        ASSERT_EQ(actual[i], expected[i]) << "access " << i;
    EXPECT_DOUBLE_EQ(P->Voltage1(), BoardProtocol::CodeToVolts(0x5A3));
    EXPECT_DOUBLE_EQ(P->Voltage2(), BoardProtocol::CodeToVolts(0x1C7));
}

TEST_F(SamplingSequenceTest, MeasureVoltages_ReadsOnePeriodApartRightAfterEachRisingEdge)
{
    Restart();
    P->MeasureVoltages(1000, 15700.0);
    std::int64_t gateOn = -1;
    std::vector<std::int64_t> reads;
    for (const PortAccess& access : board.Log()) {
        if (access.kind == Kind::Out && access.port == 0x61 && (access.value & 1))
            gateOn = access.tick;
        if (access.kind == Kind::InWord && access.port == 0x280)
            reads.push_back(access.tick);
    }
    ASSERT_GE(gateOn, 0);
    ASSERT_EQ(reads.size(), 1001u);
    for (std::size_t k = 0; k < reads.size(); ++k) {
        const std::int64_t edge = gateOn + static_cast<std::int64_t>(k + 1) * 76;
        EXPECT_GT(reads[k], edge) << k;
        EXPECT_LE(reads[k], edge + 3) << k;
    }
}

TEST_F(SamplingSequenceTest, MeasureVoltages_DropsTheFirstReadingAndCountsExactlyNSamples)
{
    // Each conversion gives a different code, so the mean shows which ones were counted.
    source.SetScript([](int channel, int conversion, double) {
        return ScriptedVoltageSource::VoltsForCode(channel == 1 ? 1000 + conversion % 97 : 3000 - conversion % 89);
    });
    for (const std::uint32_t count : {1u, 10u, 15700u}) {
        SCOPED_TRACE(count);
        const int first1 = source.Conversions(1);
        const int first2 = source.Conversions(2);
        P->MeasureVoltages(count, 15700.0);
        double sum1 = 0.0;
        double sum2 = 0.0;
        for (std::uint32_t k = 0; k < count; ++k) {
            sum1 += 1000 + (first1 + static_cast<int>(k)) % 97;
            sum2 += 3000 - (first2 + static_cast<int>(k)) % 89;
        }
        EXPECT_DOUBLE_EQ(P->Voltage1(), BoardProtocol::CodeToVolts(sum1 / count));
        EXPECT_DOUBLE_EQ(P->Voltage2(), BoardProtocol::CodeToVolts(sum2 / count));
        EXPECT_EQ(source.Conversions(1) - first1, static_cast<int>(count) + 1);
    }
}

TEST_F(SamplingSequenceTest, MeasureVoltages_WithoutTimerSignalGivesUpWithAStatus)
{
    source.SetCodes(3000, 3000);
    P->MeasureVoltages(100, 15700.0);
    const double before = P->Voltage1();
    board.SetTimerPresent(false);
    Restart();
    const std::int64_t startNs = board.NowNs();
    P->MeasureVoltages(15700, 15700.0);

    EXPECT_EQ(NoticeCodes(), (std::vector<int>{0, TTorviC::kErrorNoTimerSignal}));
    EXPECT_EQ(P->ErrorMessage(), QStringLiteral("Signal d'échantillonnage absent (compteur 2 du PC) : mesure "
                                                "interrompue après 0 points sur 15700"));
    EXPECT_EQ(P->Voltage1(), before);
    EXPECT_EQ(board.Log().back().kind, Kind::LeaveCritical);
    // Given up after the grace time, well before the second the measurement would have taken.
    EXPECT_LT(board.NowNs() - startNs, 300'000'000);
}

TEST_F(SamplingSequenceTest, MeasureVoltages_TimerStoppingMidwayKeepsTheSamplesTaken)
{
    source.SetScript([this](int channel, int conversion, double) {
        if (channel == 2 && conversion == 99)
            board.SetTimerPresent(false);
        return ScriptedVoltageSource::VoltsForCode(channel == 1 ? 2000 + conversion : 1500);
    });
    P->MeasureVoltages(15700, 15700.0);
    EXPECT_EQ(P->ErrorCode(), TTorviC::kErrorNoTimerSignal);
    EXPECT_TRUE(P->ErrorMessage().contains(QStringLiteral("après 99 points sur 15700")));
    // Conversions 0..98 of channel 1 were read: codes 2000..2098.
    EXPECT_DOUBLE_EQ(P->Voltage1(), BoardProtocol::CodeToVolts(2049.0));
    EXPECT_DOUBLE_EQ(P->Voltage2(), BoardProtocol::CodeToVolts(1500.0));
}

}  // namespace
