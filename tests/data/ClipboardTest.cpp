#include "ClipboardPut.h"
#include "ClipboardText.h"
#include "ConvertError.h"
#include "MeasurementRecord.h"
#include "MeasurementTextIo.h"
#include "NumberText.h"
#include "PointReduction.h"
#include "Windows1252.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLocale>
#include <QMimeData>

#include <gtest/gtest.h>

namespace {

using R = MeasurementRecord;
using namespace ClipboardText;

void FillAsRun(R& record)
{
    record.ResetRecord();
    const std::pair<double, const char*> points[] = {{3.512, "0,000000"}, {3.530, "0,000750"}, {10.1236, "0,012000"}};
    for (const auto& [pH, volume] : points) {
        record.AppendSample(pH);
        record.SetCell(R::ColVolume, record.PointCount(), QString::fromLatin1(volume));
    }
}

TEST(ClipboardTextTest, BothVariants_AreWrittenByteForByte)
{
    R record;
    FillAsRun(record);
    EXPECT_EQ(Windows1252::Encode(BuildClipboardTextComma(record)),
              QByteArray("Volume vers\xe9 en L\tpH\r0,000000\t3,512\r0,000750\t3,530\r0,012000\t10,124\r"));
    EXPECT_EQ(Windows1252::Encode(BuildClipboardTextPoint(record)),
              QByteArray("Volume vers\xe9 en L\tpH\r0.000000\t3.512\r0.000750\t3.530\r0.012000\t10.120\r"));
}

TEST(ClipboardTextTest, EmptyTable_GivesTheHeaderLineAlone)
{
    R record;
    EXPECT_EQ(BuildClipboardTextComma(record), QStringLiteral("Volume versé en L\tpH\r"));
    EXPECT_EQ(BuildClipboardTextPoint(record), QStringLiteral("Volume versé en L\tpH\r"));
}

TEST(ClipboardTextTest, DuringARun_CommaCopiesEmptyVolumesAndPointStopsWithTheConversionError)
{
    R record;
    record.ResetRecord();
    record.AppendSample(7.0);
    EXPECT_EQ(BuildClipboardTextComma(record), QStringLiteral("Volume versé en L\tpH\r\t7,000\r"));
    EXPECT_THROW(BuildClipboardTextPoint(record), ConvertError);
}

TEST(ClipboardTextTest, PointVariant_LeavesTheProgramsNumberTextsWithComma)
{
    R record;
    FillAsRun(record);
    const QLocale before;
    BuildClipboardTextPoint(record);
    EXPECT_EQ(NumberText::Fixed(1.5, 4, 3), QStringLiteral("1,500"));
    EXPECT_EQ(NumberText::Parse(QStringLiteral("0,012000")), 0.012);
    EXPECT_EQ(QLocale().decimalPoint(), before.decimalPoint());
}

TEST(ClipboardTextTest, AfterAReductionTo76Points_TheCopyHas77Lines)
{
    R record;
    QString text;
    for (int r = 1; r <= 300; ++r)
        text += NumberText::Fixed(3.0 + 0.001 * r + (r > 150 ? 6.0 : 0.0), 4, 3) + QLatin1Char('\t')
            + NumberText::Fixed(r * 0.0001, 6, 6) + QLatin1Char('\r');
    MeasurementTextIo::FillTableFromText(record, text);
    const PointReduction::Result reduced = PointReduction::Reduce(record, 100);
    MeasurementTextIo::FillTableFromText(record, reduced.text);
    ASSERT_EQ(record.PointCount(), 76);
    for (const QString& copy : {BuildClipboardTextComma(record), BuildClipboardTextPoint(record)}) {
        EXPECT_EQ(copy.count(QLatin1Char('\r')), 77);
        EXPECT_TRUE(copy.endsWith(QLatin1Char('\r')));
        EXPECT_FALSE(copy.contains(QLatin1Char('\n')));
    }
}

TEST(ClipboardPutTest, PutOnClipboard_OffersThePlainTextAndTheLink)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    ASSERT_NE(clipboard, nullptr);
    const QString text = QStringLiteral("Volume versé en L\tpH\r0,000000\t3,512\r");
    ClipboardPut::PutOnClipboard(text);
    const QMimeData* data = clipboard->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->text(), text);
    const QByteArray link = data->data(ClipboardPut::LinkMimeType());
    EXPECT_EQ(link, ClipboardPut::ProgramName().toLatin1() + QByteArray("\0FOutilsU\0serveurDDE\0", 21));
    EXPECT_FALSE(ClipboardPut::ProgramName().isEmpty());
    EXPECT_FALSE(ClipboardPut::ProgramName().contains(QLatin1Char('.')));
}

TEST(ClipboardPutTest, LinkData_IsNameTopicAndItemEachEndedByNul)
{
    EXPECT_EQ(ClipboardPut::LinkData(QStringLiteral("Quorin")), QByteArray("Quorin\0FOutilsU\0serveurDDE\0", 27));
}

}  // namespace
