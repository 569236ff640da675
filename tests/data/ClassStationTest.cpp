// The teacher's station without its window: the store of received texts and the class table.
#include "ChargeBalanceOracle.h"
#include "chemistry/TitrationConductivity.h"
#include "data/ChemistryFile.h"
#include "data/ClassReport.h"
#include "data/ClassTable.h"
#include "data/DataFolder.h"
#include "data/NumberText.h"
#include "data/ReceivedMeasurements.h"
#include "data/ReferenceCurve.h"
#include "data/SentMeasurement.h"

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

// Readings as a run writes them: the value fixed(5, 3), the volume in litres fixed(6, 6).
QString TextOf(const QList<QPointF>& points)
{
    QString text;
    for (const QPointF& p : points)
        text += NumberText::Fixed(p.y(), 5, 3) + QLatin1Char('\t') + NumberText::Fixed(p.x() / 1000, 6, 6)
                + QLatin1Char('\r');
    return text + QStringLiteral("\r\r\r");
}

// Hydrochloric acid by sodium hydroxide, in mS/cm from the ions' molar conductivities: 20 mL at
// 0,01 mol/L by 0,01 mol/L every mL (Ve = 20 mL), or 200 mL at 0,001 mol/L by 0,1 mol/L every
// 0,1 mL (Ve = 2 mL), diluted so little that the lines stay straight without correction.
QList<QPointF> HydrochloricConductivity(bool diluted)
{
    const double acidMl = diluted ? 200.0 : 20.0;
    const double acid = diluted ? 0.001 : 0.01;
    const double base = diluted ? 0.1 : 0.01;
    const double step = diluted ? 0.1 : 1.0;
    QList<QPointF> points;
    for (int i = 0; i <= 35; ++i)
        points.append(QPointF(i * step, TitrationConductivity::MilliSiemensPerCm(TitrationChemistry::Acid::Hydrochloric,
                                                                                  acid, acidMl, base, i * step)));
    return points;
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

// What the station reads in each kind of curve: every equivalence of a pH curve, the lines'
// crossing of a conductivity curve that names its quantity after its points (with Va, corrected
// for the dilution), and the Ve the class compares.
TEST(ReceivedMeasurements, EachCurveGivesItsEquivalencesAndItsQuantity)
{
    const auto conductivity = [](bool diluted) {
        return SentMeasurement::Text(TextOf(HydrochloricConductivity(diluted)), MeasuredQuantity::ConductivityMilliSiemens);
    };
    struct Case {
        const char* name;
        QString text;
        std::optional<double> vaMl;
        MeasuredQuantity quantity;
        std::vector<double> jumpsMl;  // the pH curve's equivalences; the crossing for a conductivity
        double toleranceMl;
        QString lastCell;
    };
    const Case cases[] = {
        {"strong acid", StrongAcidText(), std::nullopt, MeasuredQuantity::PH, {20.0}, 0.01, QStringLiteral("2,48")},
        {"phosphoric acid", TextOf(ChargeBalanceOracle::Readings(ChargeBalanceOracle::PhosphoricAcid(), 0.5, 30, 0, 1)),
         std::nullopt, MeasuredQuantity::PH, {10.0, 20.0}, 0.1, QString()},
        {"conductivity, uncorrected", conductivity(true), std::nullopt, MeasuredQuantity::ConductivityMilliSiemens,
         {2.0}, 0.02, QStringLiteral("Conductivité (mS/cm), Va inconnu")},
        {"conductivity, Va given", conductivity(false), 20.0, MeasuredQuantity::ConductivityMilliSiemens, {20.0}, 0.02,
         QStringLiteral("Conductivité (mS/cm)")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReceivedMeasurements store;
        store.SetBeakerVolumeMl(c.vaMl);
        store.Add(QStringLiteral("127.0.0.2"), c.text, 1);
        const ReceivedMeasurements::Entry& entry = store.Entries().front();
        ASSERT_TRUE(entry.readable);
        EXPECT_EQ(entry.quantity, c.quantity);
        const bool isConductivity = MeasuredQuantities::IsConductivity(c.quantity);
        std::vector<double> found;
        if (entry.conductimetric)
            found.push_back(entry.conductimetric->volumeMl);
        for (const auto& jump : entry.jumps)
            found.push_back(jump.volumeMl);
        ASSERT_EQ(found.size(), c.jumpsMl.size());
        for (std::size_t i = 0; i < found.size(); ++i)
            EXPECT_NEAR(found[i], c.jumpsMl[i], c.toleranceMl) << i;
        ASSERT_TRUE(entry.ClassVolumeMl());
        EXPECT_NEAR(*entry.ClassVolumeMl(), c.jumpsMl.front(), c.toleranceMl);
        if (isConductivity) {
            EXPECT_EQ(entry.conductimetric->dilutionCorrected, c.vaMl.has_value());
        }
        const QStringList cells = ClassTable::Cells(entry);
        EXPECT_EQ(cells[3].split(QStringLiteral(" ; ")).size(), static_cast<qsizetype>(c.jumpsMl.size()))
            << cells[3].toStdString();
        if (!c.lastCell.isEmpty()) {
            EXPECT_EQ(cells[4], c.lastCell);
        }
        // The station's file of it names the quantity where a chemistry file does.
        EXPECT_EQ(ClassTable::FileText(entry).split(QLatin1Char('\r')).value(12), MeasuredQuantities::HeaderLine(c.quantity));
    }
    // A record of pH sends the bytes it always sent.
    EXPECT_EQ(SentMeasurement::Text(StrongAcidText(), MeasuredQuantity::PH), StrongAcidText());
}

// The class report: every row once, the table's header at the top of every page it goes on to,
// nothing below the foot, each page numbered.
TEST(ClassReport, LongTableFlowsOverNumberedPagesEachRowOnce)
{
    ClassReport::Content content;
    content.printedAt = kMorning;
    content.summary = QStringLiteral("résumé");
    content.headers = QStringList{QStringLiteral("Heure"), QStringLiteral("Ve (mL)"), QStringLiteral("Remarque")};
    for (int i = 0; i < 150; ++i)
        content.rows.append({QStringLiteral("r%1").arg(i), QStringLiteral("20,00"), QString()});
    const QSizeF area(180.0, 267.0);
    const QList<LabReport::Page> pages = ClassReport::Layout(content, area);
    ASSERT_GE(pages.size(), 3);
    QMap<QString, int> seen;
    int charts = 0;
    for (qsizetype p = 0; p < pages.size(); ++p) {
        bool header = false;
        bool footer = false;
        for (const LabReport::Item& item : pages[p]) {
            EXPECT_LE(item.rect.bottom(), area.height() + 1e-9);
            charts += item.kind == LabReport::Item::Kind::Chart;
            header = header || (item.text == QStringLiteral("Remarque") && item.bold);
            footer = footer || item.text == QStringLiteral("Page %1 / %2").arg(p + 1).arg(pages.size());
            if (item.text.startsWith(QLatin1Char('r')) && !item.text.startsWith(QStringLiteral("ré"))) {
                ++seen[item.text];
                EXPECT_LE(item.rect.bottom(), area.height() - 6.0 + 1e-9);
            }
        }
        EXPECT_TRUE(header) << p;
        EXPECT_TRUE(footer) << p;
    }
    EXPECT_EQ(charts, 1);
    EXPECT_EQ(seen.size(), 150);
    for (auto it = seen.begin(); it != seen.end(); ++it)
        EXPECT_EQ(it.value(), 1) << it.key().toStdString();
}

}  // namespace
