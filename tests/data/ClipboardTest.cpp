#include "data/ClipboardPut.h"
#include "data/ClipboardText.h"
#include "data/ConvertError.h"
#include "data/MeasurementRecord.h"
#include "data/NumberText.h"
#include "text/Windows1252.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <gtest/gtest.h>

namespace {

using R = MeasurementRecord;
using namespace ClipboardText;

TEST(ClipboardTextTest, BothVariants_AreWrittenByteForByteAndLeaveTheCommaAlone)
{
    R record;
    EXPECT_EQ(BuildClipboardTextComma(record), QStringLiteral("Volume versé en L\tpH\r"));
    record.ResetRecord();
    const std::pair<double, const char*> points[] = {{3.512, "0,000000"}, {3.530, "0,000750"}, {10.1236, "0,012000"}};
    for (const auto& [pH, volume] : points) {
        record.AppendSample(pH);
        record.SetCell(R::ColVolume, record.PointCount(), QString::fromLatin1(volume));
    }
    EXPECT_EQ(Windows1252::Encode(BuildClipboardTextComma(record)),
              QByteArray("Volume vers\xe9 en L\tpH\r0,000000\t3,512\r0,000750\t3,530\r0,012000\t10,124\r"));
    EXPECT_EQ(Windows1252::Encode(BuildClipboardTextPoint(record)),
              QByteArray("Volume vers\xe9 en L\tpH\r0.000000\t3.512\r0.000750\t3.530\r0.012000\t10.120\r"));
    // The program's number texts keep ',' after the point variant.
    EXPECT_EQ(NumberText::Fixed(1.5, 4, 3), QStringLiteral("1,500"));
    EXPECT_EQ(NumberText::Parse(QStringLiteral("0,012000")), 0.012);
}

TEST(ClipboardTextTest, DuringARun_CommaCopiesEmptyVolumesAndPointStopsWithTheConversionError)
{
    R record;
    record.ResetRecord();
    record.AppendSample(7.0);
    EXPECT_EQ(BuildClipboardTextComma(record), QStringLiteral("Volume versé en L\tpH\r\t7,000\r"));
    EXPECT_THROW(BuildClipboardTextPoint(record), ConvertError);
}

TEST(ClipboardPutTest, PutOnClipboard_OffersThePlainTextAndTheLink)
{
    const QString text = QStringLiteral("Volume versé en L\tpH\r0,000000\t3,512\r");
    ClipboardPut::PutOnClipboard(text);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->text(), text);
    const QString program = ClipboardPut::ProgramName();
    EXPECT_FALSE(program.isEmpty());
    EXPECT_FALSE(program.contains(QLatin1Char('.')));
    EXPECT_EQ(data->data(ClipboardPut::LinkMimeType()), program.toLatin1() + QByteArray("\0FOutilsU\0serveurDDE\0", 21));
}

}  // namespace
