#include "board/EmulatedBoard.h"
#include "FakeClock.h"
#include "ScriptedVoltageSource.h"

#include <gtest/gtest.h>

namespace {

class EmulatedBoardTest : public ::testing::Test {
protected:
    // Programs timer channel 2 for `divisor` and opens its gate; returns the tick the gate rose.
    std::int64_t StartTimer(int divisor)
    {
        board.OutByte(0x61, 0x00);
        board.OutByte(0x43, 0xB6);
        board.OutByte(0x42, static_cast<std::uint8_t>(divisor & 0xFF));
        board.OutByte(0x42, static_cast<std::uint8_t>(divisor >> 8));
        board.OutByte(0x61, 0x01);
        return board.NowTicks();
    }

    FakeClock clock;
    ScriptedVoltageSource source;
    EmulatedBoard board{source, clock};
};

TEST_F(EmulatedBoardTest, Timer2_SquareWaveHighForTheLongerHalfOfEachPeriod)
{
    for (const int divisor : {5, 76, 2}) {
        SCOPED_TRACE(divisor);
        board.EnterCritical();
        const std::int64_t start = StartTimer(divisor);
        // Interleaved with other accesses so that no read repeats the one before it.
        for (int i = 0; i < 3 * divisor; ++i) {
            const bool high = board.InByte(0x61) & 0x20;
            const std::int64_t phase = (board.NowTicks() - start) % divisor;
            EXPECT_EQ(high, phase < (divisor + 1) / 2) << "tick " << board.NowTicks() - start;
            board.InByte(0x280);
        }
        board.LeaveCritical();
    }
}

TEST_F(EmulatedBoardTest, Timer2_OutputHighWhileGateLowAndAPollingLoopSeesEachChangeOnTime)
{
    board.OutByte(0x43, 0xB6);
    board.OutByte(0x42, 100);
    board.OutByte(0x42, 0);
    EXPECT_EQ(board.InByte(0x61), 0x20);
    EXPECT_EQ(board.InByte(0x61), 0x20);
    board.OutByte(0x61, 0x03);
    const std::int64_t start = board.NowTicks();
    // Polls: the first change comes at tick 50 of the period, the next at 100.
    std::int64_t changes[2] = {};
    std::uint8_t last = board.InByte(0x61);
    EXPECT_EQ(last, 0x23);
    for (int found = 0; found < 2;) {
        const std::uint8_t value = board.InByte(0x61);
        if (value != last)
            changes[found++] = board.NowTicks() - start;
        last = value;
    }
    EXPECT_EQ(changes[0], 50);
    EXPECT_EQ(changes[1], 100);
}

TEST_F(EmulatedBoardTest, Converter_PresentsTheTwelveBitCodeInTheBoardsWordLayout)
{
    source.SetCodes(0xABC, 0x123);
    board.OutByte(0x280, 0xFF);
    board.OutByte(0x282, 0xFF);
    clock.Advance(1);
    EXPECT_EQ(board.InWord(0x280), 0xCAAB);
    EXPECT_EQ(board.InByte(0x280), 0xAB);
    EXPECT_EQ(board.InByte(0x281), 0xCA);
    EXPECT_EQ(board.InWord(0x282), 0x3A12);
}

TEST_F(EmulatedBoardTest, Converter_ReadBeforeTheConversionEndsGivesThePreviousResult)
{
    source.SetScript([](int, int conversion, double) { return ScriptedVoltageSource::VoltsForCode(100 * (conversion + 1)); });
    board.EnterCritical();
    board.OutByte(0x280, 0xFF);
    for (int i = 0; i < EmulatedBoard::kConversionTicks; ++i)
        board.Settle();
    board.OutByte(0x280, 0xFF);
    EXPECT_EQ(board.ConverterCode(1), 100);
    for (int i = 0; i < EmulatedBoard::kConversionTicks; ++i)
        board.InByte(0x300);
    EXPECT_EQ(board.ConverterCode(1), 200);
    board.LeaveCritical();
}

TEST_F(EmulatedBoardTest, Converter_ClipsToTheCodeRange)
{
    const struct {
        double volts;
        int code;
    } cases[] = {{7.0, 4095}, {5.12125, 4095}, {-7.0, 0}, {-5.12125, 0}, {0.0, 2048}, {-0.0012, 2047}};
    for (const auto& c : cases) {
        source.SetScript([&c](int, int, double) { return c.volts; });
        board.OutByte(0x280, 0xFF);
        clock.Advance(1);
        EXPECT_EQ(BoardProtocol::DecodeConverterWord(board.InWord(0x280)), c.code) << c.volts;
    }
}

TEST_F(EmulatedBoardTest, Converter_SamplesTheSourceAtTheClocksTime)
{
    board.OutByte(0x282, 0xFF);
    EXPECT_NEAR(source.LastTimeMs(), 1'000'000.0, 0.01);
    clock.Advance(1500);
    board.OutByte(0x282, 0xFF);
    EXPECT_NEAR(source.LastTimeMs(), 1'001'500.0, 0.01);
    // Inside the critical section time runs on the bus alone: 1193 accesses make one millisecond.
    board.EnterCritical();
    for (int i = 0; i < 1193; ++i)
        board.InByte(0x300);
    board.OutByte(0x282, 0xFF);
    board.LeaveCritical();
    EXPECT_NEAR(source.LastTimeMs(), 1'001'501.0, 0.01);
}

TEST_F(EmulatedBoardTest, ParallelInterface_KeepsTheLastModeWord)
{
    board.OutByte(0x28F, 0x8B);
    board.OutByte(0x28F, 0x07);  // bit set of port C: not a mode word
    EXPECT_EQ(board.ControlWord(), 0x8B);
    board.OutByte(0x28F, 0x92);
    EXPECT_EQ(board.ControlWord(), 0x92);
    EXPECT_EQ(board.InByte(0x28F), 0xFF);  // write-only
}

TEST_F(EmulatedBoardTest, EmptyAddresses_ReadAllOnes)
{
    EXPECT_EQ(board.InWord(0x290), 0xFFFF);
    EXPECT_EQ(board.InByte(0x2F0), 0xFF);
    EXPECT_EQ(board.InByte(0x284), 0xFF);
}

}  // namespace
