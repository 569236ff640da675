#include "board/UsbProtocol.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using UsbProtocol::AnswerReader;

// A line as the firmware frames it: the fields, '*', their CRC, the line end.
QByteArray Framed(const QByteArray& fields)
{
    return fields + '*' + QByteArray::number(UsbProtocol::Crc16(fields), 16).toUpper().rightJustified(4, '0') + '\n';
}

struct Chunk {
    QByteArray bytes;
    std::int64_t atMs;
};

// Request 7 went out at 0 for a 1000 ms window, answer due by 1400 ms. What the program makes
// of the chunks that arrive: the measurement, or the reason it has none.
struct Outcome {
    std::optional<UsbProtocol::Measurement> measurement;
    QString error;
};
Outcome Receive(const std::vector<Chunk>& chunks)
{
    AnswerReader reader(1400);
    for (const Chunk& chunk : chunks)
        reader.Take(chunk.bytes, chunk.atMs);
    Outcome outcome;
    if (reader.Current() == AnswerReader::State::Waiting)
        reader.Take({}, 1401);  // nothing more came before the deadline
    if (reader.Current() != AnswerReader::State::Complete)
        outcome.error = reader.FailureText();
    else
        outcome.measurement = UsbProtocol::ParseMeasurement(reader.Line(), 7, outcome.error);
    return outcome;
}

TEST(UsbProtocol, Crc_IsTheXmodemCrcOfTheFields)
{
    // The standard check value of CRC-16/XMODEM, which the firmware computes with avr-libc.
    EXPECT_EQ(UsbProtocol::Crc16("123456789"), 0x31C3);
    EXPECT_EQ(UsbProtocol::MeasureRequest(12, 1000), Framed("12 MES 1000"));
    EXPECT_EQ(UsbProtocol::NextSequence(0xFFFF), 1);
}

TEST(UsbProtocol, MeasurementAnswers_OnlyAWholeCheckedTimelyAnswerGivesNumbers)
{
    const QByteArray good = Framed("7 MES 2500.00 1234.50 1000");
    QByteArray corrupted = good;
    corrupted[7] = '3';  // 2500.00 read as 3500.00
    const struct Case {
        const char* name;
        std::vector<Chunk> chunks;
        const char* error;  // nullptr: a measurement of 2500 mV, 1234,5 mV, 1000 samples
    } cases[] = {
        {"whole", {{good, 1010}}, nullptr},
        {"in two pieces", {{good.first(14), 600}, {good.sliced(14), 1005}}, nullptr},
        {"corrupted digit", {{corrupted, 1010}}, "somme de contrôle fausse"},
        {"late", {{good, 1500}}, "en retard"},
        {"cut short", {{good.first(12), 1003}}, "incomplète"},
        {"silent", {}, "pas de réponse"},
        {"out of sequence", {{Framed("6 MES 2500.00 1234.50 1000"), 1010}}, "hors séquence (n° 6 au lieu du n° 7)"},
        {"refused", {{Framed("7 ERR WINDOW"), 20}}, "refusée"},
        {"request unreadable", {{Framed("0 ERR CHECKSUM"), 20}}, "n'a pas pu lire"},
        {"no checksum", {{"7 MES 2500.00 1234.50 1000\n", 1010}}, "mal formée"},
        {"control byte", {{"7 MES 2500.00\x14 1234.50 1000*0000\n", 1010}}, "illisible"},
        {"above the reference", {{Framed("7 MES 5000.01 1234.50 1000"), 1010}}, "mesure mal formée"},
        {"three decimals", {{Framed("7 MES 2500.000 1234.50 1000"), 1010}}, "mesure mal formée"},
        {"no samples", {{Framed("7 MES 2500.00 1234.50 0"), 1010}}, "mesure mal formée"},
        {"identity instead", {{Framed("7 ID QuorinUSB 1"), 20}}, "inattendue"},
        {"endless line", {{QByteArray(70, '7'), 900}}, "trop longue"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = Receive(c.chunks);
        if (!c.error) {
            ASSERT_TRUE(outcome.measurement.has_value()) << outcome.error.toStdString();
            EXPECT_DOUBLE_EQ(outcome.measurement->millivolts1, 2500.0);
            EXPECT_DOUBLE_EQ(outcome.measurement->millivolts2, 1234.5);
            EXPECT_EQ(outcome.measurement->samples, 1000);
        } else {
            EXPECT_FALSE(outcome.measurement.has_value());
            EXPECT_TRUE(outcome.error.contains(QString::fromUtf8(c.error))) << outcome.error.toStdString();
        }
    }
}

TEST(UsbProtocol, Identity_OnlyOurFirmwareAtOurVersion)
{
    const struct Case {
        QByteArray line;
        const char* refusal;  // nullptr: accepted
    } cases[] = {
        {"3 ID QuorinUSB 1", nullptr},
        {"3 ID QuorinUSB 2", "version 2"},
        {"3 ID Autre 1", "pas une interface Quorin"},
        {"4 ID QuorinUSB 1", "hors séquence"},
        {"3 ID QuorinUSB", "mal formée"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        const QString refusal = UsbProtocol::CheckIdentity(Framed(c.line).chopped(1), 3);
        if (!c.refusal)
            EXPECT_TRUE(refusal.isEmpty()) << refusal.toStdString();
        else
            EXPECT_TRUE(refusal.contains(QString::fromUtf8(c.refusal))) << refusal.toStdString();
    }
}

}  // namespace
