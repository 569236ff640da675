#include "data/RecoveryFile.h"
#include "data/RecoveryWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QDateTime kStarted = QDateTime::fromMSecsSinceEpoch(1'714'551'300'123);

// A run of four samples and two presses, the fourth sample last.
QByteArray ThreeSamplesThenTheFourth(qsizetype* lastLineStart)
{
    QByteArray bytes = RecoveryFile::Header(kStarted);
    bytes += RecoveryFile::SampleLine(1, 1000, 2.0123456789);
    bytes += RecoveryFile::SampleLine(2, 2500, 2.1);
    bytes += RecoveryFile::PressLine(2810);
    bytes += RecoveryFile::SampleLine(3, 4000, 2.25);
    bytes += RecoveryFile::PressLine(4320);
    *lastLineStart = bytes.size();
    return bytes + RecoveryFile::SampleLine(4, 5500, 2.5);
}

TEST(RecoveryFileTest, ReadBackWhole)
{
    qsizetype lastLine = 0;
    const RecoveryFile::Contents c = RecoveryFile::Parse(ThreeSamplesThenTheFourth(&lastLine));
    EXPECT_EQ(c.started, kStarted);
    EXPECT_EQ(c.sampleEndsMs, (std::vector<std::int64_t>{1000, 2500, 4000, 5500}));
    EXPECT_EQ(c.pH, (std::vector<double>{2.0123456789, 2.1, 2.25, 2.5}));
    EXPECT_EQ(c.pressesMs, (std::vector<std::int64_t>{2810, 4320}));
    EXPECT_FALSE(c.damaged);
    EXPECT_EQ(c.LastSampleTime(), kStarted.addMSecs(5500));
}

TEST(RecoveryFileTest, CutAtEveryByteOfTheLastLineGivesBackEveryWholeSample)
{
    qsizetype lastLine = 0;
    const QByteArray bytes = ThreeSamplesThenTheFourth(&lastLine);
    for (qsizetype cut = lastLine; cut < bytes.size(); ++cut) {
        SCOPED_TRACE(cut);
        const RecoveryFile::Contents c = RecoveryFile::Parse(bytes.left(cut));
        EXPECT_EQ(c.SampleCount(), 3);
        EXPECT_EQ(c.pressesMs.size(), 2u);
        EXPECT_EQ(c.damaged, cut > lastLine);
        // What a power cut may leave instead of the lost bytes: zeros, or older bytes.
        for (const QByteArray& tail : {QByteArray(512, '\0'), QByteArray("E 4 5500 2.5*0000\n")}) {
            const RecoveryFile::Contents d = RecoveryFile::Parse(bytes.left(cut) + tail);
            EXPECT_EQ(d.SampleCount(), 3);
            EXPECT_TRUE(d.damaged);
        }
    }
}

TEST(RecoveryFileTest, DamageAndOtherFiles)
{
    const struct {
        const char* name;
        QByteArray bytes;
        bool unreadable;
        int samples;
    } cases[] = {
        {"empty: cut before anything", "", false, 0},
        {"cut inside the first line", "QUORIN-REP", false, 0},
        {"cut inside the start line", "QUORIN-REPRISE 1\nD 17145", false, 0},
        {"another version", "QUORIN-REPRISE 2\n", true, 0},
        {"another file", "Quorin\rTitrage\r", true, 0},
        {"a sample out of order", RecoveryFile::Header(kStarted) + RecoveryFile::SampleLine(2, 1000, 7), false, 0},
        {"a changed digit", RecoveryFile::Header(kStarted) + RecoveryFile::SampleLine(1, 1000, 7)
                                + RecoveryFile::SampleLine(2, 2500, 7).replace("2500", "2600"),
         false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.unreadable) {
            EXPECT_THROW(RecoveryFile::Parse(c.bytes), RecoveryFile::Unreadable);
            continue;
        }
        EXPECT_EQ(RecoveryFile::Parse(c.bytes).SampleCount(), c.samples);
    }
}

TEST(RecoveryFileTest, WriterAppendsOffTheCallersThreadAndFlushesOncePerSync)
{
    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(QStringLiteral("sous/run.txt"));
    QByteArray expected = RecoveryFile::Header(kStarted);
    RecoveryWriter writer;
    writer.Open(path);
    writer.Append(expected);
    writer.Sync();
    for (int n = 1; n <= 20; ++n) {
        const QByteArray line = RecoveryFile::SampleLine(n, n * 1500, 7.0);
        expected += line;
        writer.Append(line);
        writer.Sync();
    }
    writer.WaitIdle();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), expected);
    EXPECT_GE(writer.SyncCount(), 1);
    EXPECT_LE(writer.SyncCount(), 21);
    EXPECT_TRUE(writer.TakeFailure().isEmpty());

    writer.Remove(path);
    writer.WaitIdle();
    EXPECT_FALSE(QFile::exists(path));
    // A folder that cannot be made: said once, nothing thrown.
    QFile blocker(QDir(folder.path()).filePath(QStringLiteral("fichier")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    writer.Open(blocker.fileName() + QStringLiteral("/run.txt"));
    writer.Append("x");
    writer.WaitIdle();
    EXPECT_TRUE(writer.TakeFailure().contains(QStringLiteral("run.txt")));
    EXPECT_TRUE(writer.TakeFailure().isEmpty());
}

}  // namespace
