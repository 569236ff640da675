// The teacher's station without its window: the store of received texts and the class table.
#include "data/ChemistryFile.h"
#include "data/ClassTable.h"
#include "data/DataFolder.h"
#include "data/NumberText.h"
#include "data/ReceivedMeasurements.h"
#include "data/ReferenceCurve.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QDateTime kMorning(QDate(2024, 5, 6), QTime(9, 5, 3));

// 20 mL of a strong acid at 0,01 mol/L titrated by a strong base at 0,01 mol/L, every 0,5 mL
// to 30 mL, as a run writes it. The charge balance h - Kw/h = (excess acid) gives h exactly:
// Ve = 20 mL, and at 10 mL h = 0,1 / 30 mol/L, pH 2,477.
QString StrongAcidText()
{
    QString text;
    for (int i = 0; i <= 60; ++i) {
        const double ml = i * 0.5;
        const double excess = (0.01 * 20.0 - 0.01 * ml) / (20.0 + ml);
        const double h = (excess + std::sqrt(excess * excess + 4e-14)) / 2;
        text += NumberText::Fixed(-std::log10(h), 5, 3) + QLatin1Char('\t') + NumberText::Fixed(ml / 1000, 6, 6)
                + QLatin1Char('\r');
    }
    return text + QStringLiteral("\r\r\r");
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ClassTable, KnownPairAndAnUnreadableText_GiveTheExactSpreadsheetText)
{
    using Entry = ReceivedMeasurements::Entry;
    const Entry acid = ReceivedMeasurements::Analyse(QStringLiteral("192.168.1.12"), StrongAcidText(), 1, kMorning);
    const Entry flat = ReceivedMeasurements::Analyse(QStringLiteral("10.0.0.4"),
                                                     QStringLiteral("7,000\t0,000000\r7,010\t0,001000\r7,000\t0,002000\r"
                                                                    "7,010\t0,003000\r7,000\t0,004000\r\r\r\r"),
                                                     2, kMorning.addSecs(1));
    const Entry garbled = ReceivedMeasurements::Analyse(QStringLiteral("10.0.0.7"), QStringLiteral("bonjour"), 3,
                                                        kMorning.addSecs(4));
    EXPECT_EQ(ClassTable::ClipboardText({garbled, flat, acid}),
              QStringLiteral("Heure\tAdresse\tPoints\tVe (mL)\tpH à Ve/2\r"
                             "09:05:07\t10.0.0.7\tillisible\t\t\r"
                             "09:05:04\t10.0.0.4\t5\tintrouvable\tintrouvable\r"
                             "09:05:03\t192.168.1.12\t61\t20,00\t2,48\r"));
    EXPECT_EQ(ClassTable::CurveName(acid), QStringLiteral("192.168.1.12 09:05:03"));
}

TEST(ReceivedMeasurements, KeepsArrivalOrderAndTheLatest200_UnreadableTextsListedNotDropped)
{
    ReceivedMeasurements store;
    store.SetClock([] { return kMorning; });
    // Handed over two by two in reverse order, as two connection threads may; text 7 holds one
    // point then something that is not a number, text 9 no number at all.
    for (quint64 pair = 0; pair < 103; ++pair) {
        for (const quint64 number : {2 * pair + 2, 2 * pair + 1}) {
            const QString text = number == 7   ? QStringLiteral("7,000\t0,001000\rabc\r\r\r")
                                 : number == 9 ? QStringLiteral("bonjour")
                                               : QStringLiteral("%1,000\t0,001000\r\r\r\r").arg(number % 14);
            store.Add(QStringLiteral("127.0.0.%1").arg(number % 200), text, number);
        }
    }
    ASSERT_EQ(store.Entries().size(), ReceivedMeasurements::kCapacity);
    EXPECT_EQ(store.DroppedCount(), 206 - ReceivedMeasurements::kCapacity);
    for (qsizetype i = 0; i < store.Entries().size(); ++i) {
        const ReceivedMeasurements::Entry& entry = store.Entries()[i];
        EXPECT_EQ(entry.arrivalNumber, static_cast<quint64>(i + 7));
        EXPECT_EQ(entry.peerAddress, QStringLiteral("127.0.0.%1").arg(entry.arrivalNumber % 200));
        EXPECT_EQ(entry.readable, entry.arrivalNumber != 7 && entry.arrivalNumber != 9) << entry.arrivalNumber;
        EXPECT_EQ(ClassTable::Cells(entry)[2] == ClassTable::UnreadableText(), !entry.readable);
    }
    store.Clear();
    EXPECT_TRUE(store.Entries().isEmpty());
    EXPECT_EQ(store.DroppedCount(), 0);
}

TEST(ClassTable, Save_InTheClassFolderNamedAfterAddressAndTimeNeverReplacing)
{
    QTemporaryDir dir;
    const QString base = dir.path();
    EXPECT_EQ(DataFolder::ResolveClass(base + QStringLiteral("/Programme"), base + QStringLiteral("/Documents")),
              base + QStringLiteral("/Programme/Classe"));
    QFile(base + QStringLiteral("/Systeme")).open(QIODevice::WriteOnly);  // a file: no folder inside
    const QString folder = DataFolder::ResolveClass(base + QStringLiteral("/Systeme"), base + QStringLiteral("/Documents"));
    EXPECT_EQ(folder, base + QStringLiteral("/Documents/Quorin/Classe"));

    const ReceivedMeasurements::Entry entry =
        ReceivedMeasurements::Analyse(QStringLiteral("192.168.1.12"), StrongAcidText(), 1, kMorning);
    const QString first = ClassTable::Save(entry, folder);
    const QByteArray firstBytes = ReadAll(first);
    const QString second = ClassTable::Save(entry, folder);
    EXPECT_EQ(QFileInfo(first).fileName(), QStringLiteral("192.168.1.12 2024-05-06 09h05m03.che"));
    EXPECT_EQ(QFileInfo(second).fileName(), QStringLiteral("192.168.1.12 2024-05-06 09h05m03 (2).che"));
    EXPECT_EQ(ReadAll(first), firstBytes);
    EXPECT_EQ(ReadAll(second), firstBytes);

    const ReferenceCurve::Curve back = ReferenceCurve::Read(first);
    EXPECT_EQ(back.name, QStringLiteral("Reçu de 192.168.1.12 le 06/05/2024 à 09:05:03"));
    EXPECT_EQ(back.points, entry.points);
}

}  // namespace
