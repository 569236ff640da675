#include "board/BoardRangeError.h"
#include "BoardTestRig.h"

#include <cmath>
#include <limits>

namespace {

using Kind = PortAccess::Kind;

class TTorviCTest : public BoardTestRig {};

TEST_F(TTorviCTest, Constructor_WritesDefaultControlWordOnceWithDefaults)
{
    const auto writes = Accesses(Kind::Out);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].port, 0x28F);
    EXPECT_EQ(writes[0].value, 0x8B);
    EXPECT_EQ(board.ControlWord(), 0x8B);
    EXPECT_EQ(P->AdressOffset(), 0);
    EXPECT_EQ(P->Configuration(), TTorviC::TlisteConfigurations::aSortie_bcEntree);
    EXPECT_EQ(P->NomCarte(), TTorviC::TlisteCartes::Kestrola);
    EXPECT_EQ(P->NombreDePointsDeMesure(), 256);
    EXPECT_EQ(P->SepDecimalPourTransfert(), TTorviC::TSeparateurDecimal::virgule);
    EXPECT_EQ(P->ErrorCode(), 0);
    EXPECT_TRUE(P->ErrorMessage().isEmpty());
}

struct OffsetCase {
    std::uint16_t value;
    std::uint16_t offset;
    std::vector<int> codes;  // status announced by each notification, the clear first
};

TEST_F(TTorviCTest, AdressOffset_CorrectsValuesAndMovesRegisters)
{
    const OffsetCase cases[] = {
        {16, 16, {0}},       {112, 112, {0}},     {256, 256, {0}},     {368, 368, {0}},
        {17, 16, {0, 2}},    {128, 0, {0, 3}},    {200, 0, {0, 2, 3}}, {300, 288, {0, 2}},
        {369, 0, {0, 1}},    {65535, 0, {0, 1}},  {255, 0, {0, 2, 3}}, {0, 0, {0}},
    };
    for (const OffsetCase& c : cases) {
        SCOPED_TRACE(c.value);
        Restart();
        P->SetAdressOffset(c.value);
        EXPECT_EQ(P->AdressOffset(), c.offset);
        EXPECT_EQ(NoticeCodes(), c.codes);
        EXPECT_EQ(P->ErrorCode(), c.codes.back());

        P->WriteControl(0x92);
        const auto writes = Accesses(Kind::Out);
        ASSERT_EQ(writes.size(), 1u);
        EXPECT_EQ(writes[0].port, 0x280 + c.offset + 0x0F);
    }
}

TEST_F(TTorviCTest, AdressOffset_ErrorMessagesAreTheFrenchTexts)
{
    P->SetAdressOffset(400);
    EXPECT_EQ(notices.at(1).message, QStringLiteral("addrOffset, décalage d'adresse doit être multiple de 16, entre 0 et 368"));
    Restart();
    P->SetAdressOffset(200);
    EXPECT_EQ(notices.at(1).message, QStringLiteral("addrOffset doit être multiple de 16"));
    EXPECT_EQ(notices.at(2).message, QStringLiteral("addrOffset ne doit pas être entre 8 x 16 et 15 x 16"));
    EXPECT_EQ(P->ErrorMessage(), notices.at(2).message);
}

TEST_F(TTorviCTest, WriteControl_ClearsAPreviousError)
{
    P->SetAdressOffset(128);
    ASSERT_EQ(P->ErrorCode(), 3);
    Restart();
    P->WriteControl(0x99);
    EXPECT_EQ(P->ErrorCode(), 0);
    EXPECT_TRUE(P->ErrorMessage().isEmpty());
    EXPECT_EQ(NoticeCodes(), std::vector<int>{0});
    EXPECT_EQ(board.ControlWord(), 0x99);
}

TEST_F(TTorviCTest, Configuration_WritesItsControlWordEvenWhenUnchanged)
{
    using C = TTorviC::TlisteConfigurations;
    const std::pair<C, int> words[] = {
        {C::aSortie_bcEntree, 0x8B}, {C::abcEntree, 0x9B}, {C::acEntree_bSortie, 0x99}, {C::abEntree_cSortie, 0x92}};
    for (const auto& [configuration, word] : words) {
        Restart();
        P->SetConfiguration(configuration);
        P->SetConfiguration(configuration);
        const auto writes = Accesses(Kind::Out);
        ASSERT_EQ(writes.size(), 2u);
        for (const PortAccess& write : writes) {
            EXPECT_EQ(write.port, 0x28F);
            EXPECT_EQ(write.value, word);
        }
        EXPECT_EQ(NoticeCodes(), (std::vector<int>{0, 0}));
        EXPECT_EQ(P->Configuration(), configuration);
    }
}

struct MeasureCase {
    std::uint32_t count;
    double frequency;
    int divisor;
    double actualFrequency;
    double duration;
    std::vector<int> codes;
    QString message;
};

TEST_F(TTorviCTest, MeasureVoltages_DivisorFrequencyDurationAndStatus)
{
    const MeasureCase cases[] = {
        {15700, 15700.0, 76, 15700.0, 1.0, {0}, {}},
        {1000, 600000.0, 2, 596600.0, 1000.0 / 596600.0, {0, 5}, QStringLiteral("Fréquence incorrecte")},
        {7000, 100.0, 11932, 100.0, 70.0, {0, 4}, QStringLiteral("Durée d'une mesure de tension supérieure à 60 secondes")},
        {6000, 100.0, 11932, 100.0, 60.0, {0}, {}},
        {1, 18.207, 65535, 1193200.0 / 65535.0, 65535.0 / 1193200.0, {0}, {}},
    };
    for (const MeasureCase& c : cases) {
        SCOPED_TRACE(c.frequency);
        Restart();
        source.SetCodes(3000, 1000);
        const std::int64_t before = clock.NowMs();
        const int conversionsBefore = board.ConversionsStarted(1);
        P->MeasureVoltages(c.count, c.frequency);

        EXPECT_DOUBLE_EQ(P->ActualFrequency(), c.actualFrequency);
        EXPECT_DOUBLE_EQ(P->MeasureDuration(), c.duration);
        EXPECT_EQ(P->NombreDePointsDeMesure(), static_cast<int>(c.count));
        EXPECT_EQ(NoticeCodes(), c.codes);
        EXPECT_EQ(P->ErrorCode(), c.codes.back());
        EXPECT_EQ(P->ErrorMessage(), c.message);
        std::vector<int> countBytes;
        for (const PortAccess& write : Accesses(Kind::Out))
            if (write.port == 0x42)
                countBytes.push_back(write.value);
        EXPECT_EQ(countBytes, (std::vector<int>{c.divisor & 0xFF, c.divisor >> 8}));
        // The measurement runs in full whatever the status, and blocks for its duration.
        EXPECT_EQ(board.ConversionsStarted(1) - conversionsBefore, static_cast<int>(c.count) + 1);
        EXPECT_EQ(clock.NowMs() - before, std::llround(c.duration * 1000.0));
        EXPECT_DOUBLE_EQ(P->Voltage1(), BoardProtocol::CodeToVolts(3000));
        EXPECT_DOUBLE_EQ(P->Voltage2(), BoardProtocol::CodeToVolts(1000));
    }
    board.ClearLog();
}

TEST_F(TTorviCTest, MeasureVoltages_ConstantCodesGiveTheirVoltages)
{
    const struct {
        int code;
        double volts;
    } cases[] = {{2047, -0.00125}, {2048, 0.00125}, {4095, 5.12125}, {0, -5.12125}};
    for (const auto& c : cases) {
        source.SetCodes(c.code, c.code);
        P->MeasureVoltages(200, 15700.0);
        EXPECT_NEAR(P->Voltage1(), c.volts, 1e-6) << c.code;
        EXPECT_NEAR(P->Voltage2(), c.volts, 1e-6) << c.code;
        EXPECT_DOUBLE_EQ(P->Voltage1(), (c.code - 2047.5) * 10.24 / 4094.0);
    }
}

TEST_F(TTorviCTest, MeasureVoltages_NoBoardAtTheAddressReadsFullScale)
{
    source.SetCodes(1000, 1000);
    P->SetAdressOffset(16);
    P->MeasureVoltages(100, 15700.0);
    EXPECT_NEAR(P->Voltage1(), 5.12125061064973, 1e-12);
    EXPECT_DOUBLE_EQ(P->Voltage2(), P->Voltage1());
}

TEST_F(TTorviCTest, MeasureVoltages_ReachesABoardAtAnotherAddress)
{
    ScriptedVoltageSource other;
    other.SetCodes(1234, 2345);
    EmulatedBoard moved(other, clock, 0x3A0);
    TTorviC driver(moved, clock);
    driver.SetAdressOffset(300);
    driver.MeasureVoltages(100, 15700.0);
    EXPECT_DOUBLE_EQ(driver.Voltage1(), BoardProtocol::CodeToVolts(1234));
    EXPECT_DOUBLE_EQ(driver.Voltage2(), BoardProtocol::CodeToVolts(2345));
}

TEST_F(TTorviCTest, MeasureVoltages_SumsDoNotOverflowPastHalfAMillionSamples)
{
    // 530 000 codes of 4095 exceed 2^31 - 1 in a 32-bit sum. Divisor 40 keeps the emulation short.
    source.SetCodes(4095, 4095);
    board.StopLog();
    P->MeasureVoltages(530000, 1193200.0 / 40.0);
    EXPECT_EQ(P->ErrorCode(), 0);
    EXPECT_DOUBLE_EQ(P->Voltage1(), BoardProtocol::CodeToVolts(4095));
}

struct RefusedCase {
    std::uint32_t count;
    double frequency;
    int notices;           // the clear comes before the frequency is checked
    int nombreDePoints;    // what NombreDePointsDeMesure holds afterwards
};

TEST_F(TTorviCTest, MeasureVoltages_RefusesImpossibleArgumentsBeforeAnyPortAccess)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const RefusedCase cases[] = {
        {0, 15700.0, 0, 256},          {0x80000000u, 15700.0, 0, 256}, {0xFFFFFFFFu, 15700.0, 0, 256},
        {100, 18.206787109375, 1, 100}, {100, 0.0, 1, 100},           {100, -100.0, 1, 100},
        {100, -2.0e6, 1, 100},          {100, nan, 1, 100},
    };
    for (const RefusedCase& c : cases) {
        SCOPED_TRACE(c.frequency);
        TTorviC driver(board, clock);
        int notices = 0;
        driver.SetOnUsing([&notices](QObject*) { ++notices; });
        board.ClearLog();
        try {
            driver.MeasureVoltages(c.count, c.frequency);
            ADD_FAILURE() << "no range error for count " << c.count;
        } catch (const BoardRangeError& error) {
            EXPECT_FALSE(error.Text().isEmpty());
        }
        EXPECT_TRUE(board.Log().empty());
        EXPECT_EQ(notices, c.notices);
        EXPECT_EQ(driver.NombreDePointsDeMesure(), c.nombreDePoints);
    }
}

TEST_F(TTorviCTest, MeasureVoltages_BlocksForItsDurationOnTheSystemClock)
{
    EmulatedBoard realTimeBoard(source, MonotonicClock::Instance());
    TTorviC driver(realTimeBoard, MonotonicClock::Instance());
    const std::int64_t before = MonotonicClock::Instance().NowMs();
    driver.MeasureVoltages(157, 15700.0);  // 10 ms
    EXPECT_GE(MonotonicClock::Instance().NowMs() - before, 10);
}

}  // namespace
