#include "data/ChemistryDocument.h"
#include "data/ChemistryFile.h"
#include "data/DataFolder.h"
#include "data/FileError.h"
#include "data/MeasurementRecord.h"
#include "FileSizeLimit.h"
#include "text/Windows1252.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>


namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class ChemistryFileTest : public ::testing::Test {
protected:
    QString Path(const char* name) const { return Path(QString::fromLatin1(name)); }
    QString Path(const QString& name) const { return QDir(dir.path()).filePath(name); }

    QTemporaryDir dir;
    ChemistryDocument document;
};

TEST_F(ChemistryFileTest, WorkedExample_IsWrittenByteForByteAndAConductivityAddsLine13)
{
    MeasurementRecord record;
    record.ResetRecord();
    const std::pair<double, const char*> points[] = {{3.512, "0,000000"}, {3.530, "0,000750"}, {3.561, "0,001500"}};
    for (const auto& [pH, volume] : points) {
        record.AppendSample(pH);
        record.SetCell(MeasurementRecord::ColVolume, record.PointCount(), QString::fromLatin1(volume));
    }
    // A pH file is what it always was; a conductivity names itself in line 13, which readers
    // that know only the pH skip, so they still find the same values and points.
    const std::pair<MeasuredQuantity, QByteArray> cases[] = {
        {MeasuredQuantity::PH, ""},
        {MeasuredQuantity::ConductivityMilliSiemens, "Conductivit\xe9 (mS/cm)"},
        {MeasuredQuantity::ConductivityMicroSiemens, "Conductivit\xe9 (\xb5S/cm)"},
    };
    int saved = 0;
    for (const auto& [quantity, line13] : cases) {
        ChemistryDocument written;
        written.TakeMeasurementText(record);
        written.Values().currentComment = QStringLiteral("Titrage 1");
        written.Values().quantity = quantity;
        EXPECT_EQ(written.SaveNumbered(dir.path(), written.BuildFileText()), Path(QStringLiteral("Mesures%1.che").arg(++saved)));
        EXPECT_EQ(ReadAll(Path(QStringLiteral("Mesures%1.che").arg(saved))),
                  "Quorin\rTitrage 1\rMesure\r7.0.0\r\r\r\r\r0,01\r0,01\r0,020\r\r" + line13
                      + "\r\r\r3,512\t0,000000\r3,530\t0,000750\r3,561\t0,001500\r\r\r\r\r\n");
        ChemistryDocument opened;
        opened.Values().quantity = MeasuredQuantity::ConductivityMilliSiemens;
        opened.ReadChemistryFile(Path(QStringLiteral("Mesures%1.che").arg(saved)));
        EXPECT_EQ(opened.Values().quantity, quantity);
    }
    EXPECT_EQ(MeasuredQuantities::FromHeaderLine(QStringLiteral("treize")), MeasuredQuantity::PH);
}

TEST_F(ChemistryFileTest, OpenThenSave_CarriesLines6To8And12AndRewritesTheRest)
{
    WriteAll(Path("in.che"), "Autre\rLe commentaire\rDonn\xe9""es\r6.1\rcinq\rsix\rsept\rhuit\r0,1\r0,2\r0,050\r"
                             "douze\rtreize\rquatorze\rquinze\r7\t0,001\r\r\r\r\r\n");
    const ChemistryFile::Contents contents = document.ReadChemistryFile(Path("in.che"));
    EXPECT_EQ(contents.headerLines.value(2), QStringLiteral("Données"));
    EXPECT_EQ(contents.body, QStringLiteral("7\t0,001\r\r\r\r\r\n"));
    // The saved comment stays the current one until the comment dialog closes.
    document.Values().currentComment = QStringLiteral("avant");
    ChemistryFile::Write(Path("out.che"), document.BuildFileText());
    EXPECT_EQ(ReadAll(Path("out.che")),
              QByteArray("Quorin\ravant\rMesure\r7.0.0\r\rsix\rsept\rhuit\r0,1\r0,2\r0,050\rdouze\r\r\r\r\r\n"));
}

TEST(ChemistryFileParseTest, Parse_SplitsLinesAtCrSkippingOneLfAndStopsAtByte26)
{
    struct Case {
        QByteArray bytes;
        const char* line2;
        const char* line11;
        const char* body;
    };
    const QByteArray header("1\r2\r3\r4\r5\r6\r7\r8\r9\r10\r11\r12\r13\r14\r15\r");
    const Case cases[] = {
        {"Quorin\rcomment\rMesure", "comment", "", ""},  // fewer than 15 lines
        {"a\r\nb\r\nc\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n13\r\n14\r\n15\r\n7\t0\r", "b", "11", "7\t0\r"},
        {header + "\r\r\r", "2", "11", "\r\r\r"},  // a body that starts with CR
        {"1\r2\x1a""3\r", "2", "", ""},
        {header + "7\t0\r\x1a""8\t1\r", "2", "11", "7\t0\r"},
        {"1\r\n\n2\r", "\n2", "", ""},  // only one LF is skipped
    };
    for (const auto& c : cases) {
        const ChemistryFile::Contents contents = ChemistryFile::Parse(c.bytes);
        SCOPED_TRACE(c.bytes.toStdString());
        ASSERT_EQ(contents.headerLines.size(), ChemistryFile::kHeaderLineCount);
        EXPECT_EQ(contents.headerLines[1], QString::fromLatin1(c.line2));
        EXPECT_EQ(contents.headerLines[10], QString::fromLatin1(c.line11));
        EXPECT_EQ(contents.body, QString::fromLatin1(c.body));
    }
}

TEST(ChemistryFileTextTest, HeaderLines_StayWholeWhateverTheCommentHolds)
{
    HeaderValues values;
    values.currentComment = QStringLiteral("pH \u6f22 é\rfin\x1a");
    values.beakerVolume = QStringLiteral("0.020 L");
    const QByteArray bytes = ChemistryFile::FileBytes(ChemistryFile::BuildFileText({}, values, QStringLiteral("\r\r\r")));
    const ChemistryFile::Contents back = ChemistryFile::Parse(bytes);
    EXPECT_EQ(back.headerLines[1], QStringLiteral("pH ? é fin "));
    EXPECT_EQ(back.headerLines[10], QStringLiteral("0.020 L"));
    EXPECT_EQ(back.body, QStringLiteral("\r\r\r\r\n"));
    EXPECT_EQ(Windows1252::Encode(QStringLiteral("é€")), QByteArray("\xe9\x80"));
}

TEST_F(ChemistryFileTest, SaveNumbered_CountsUpAndNeverReplacesAnEarlierFile)
{
    EXPECT_EQ(document.SaveNumbered(dir.path(), document.BuildFileText()), Path("Mesures1.che"));
    EXPECT_EQ(document.SaveNumbered(dir.path(), document.BuildFileText()), Path("Mesures2.che"));
    const QByteArray first = ReadAll(Path("Mesures1.che"));

    // The program starts again: its counter starts at 0, the last lesson's files stay.
    ChemistryDocument nextStart;
    nextStart.Values().currentComment = QStringLiteral("leçon suivante");
    EXPECT_EQ(nextStart.SaveNumbered(dir.path(), nextStart.BuildFileText()), Path("Mesures3.che"));
    EXPECT_EQ(ReadAll(Path("Mesures1.che")), first);
    // The counter only grows within a run of the program.
    QFile::remove(Path("Mesures1.che"));
    EXPECT_EQ(nextStart.SaveNumbered(dir.path(), nextStart.BuildFileText()), Path("Mesures4.che"));
}

TEST_F(ChemistryFileTest, RefusedOpenOrSave_ThrowsFrenchErrorsWithTheName)
{
    WriteAll(Path("fichier"), "x");
    EXPECT_THROW(document.SaveNumbered(Path("fichier/dossier"), QStringLiteral("t")), FileError);
    try {
        ChemistryFile::Write(Path("fichier/Mesures1.che"), QStringLiteral("t"));
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_TRUE(error.Text().startsWith(QStringLiteral("Impossible d'enregistrer le fichier « "))) << error.what();
    }
    try {
        document.ReadChemistryFile(Path("absent.che"));
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_TRUE(error.Text().startsWith(QStringLiteral("Impossible d'ouvrir le fichier « "))) << error.what();
        EXPECT_TRUE(error.Text().contains(QStringLiteral("absent.che")));
    }
}

TEST_F(ChemistryFileTest, InterruptedSave_LeavesTheEarlierFileWhole)
{
    const QByteArray earlier = ChemistryFile::FileBytes(QStringLiteral("ancien contenu\r"));
    WriteAll(Path("Titrage.che"), earlier);
    {
        const FileSizeLimit full(4096);
        EXPECT_THROW(ChemistryFile::Write(Path("Titrage.che"), QString(20000, QLatin1Char('7'))), FileError);
    }
    EXPECT_EQ(ReadAll(Path("Titrage.che")), earlier);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Titrage.che")});
}

TEST_F(ChemistryFileTest, DataFolder_IsValeursBesideTheProgramOrTheFallbackWhenThatCannotBeWritten)
{
    EXPECT_EQ(DataFolder::Resolve(Path("Programme"), Path("Documents")), Path("Programme/Valeurs"));
    EXPECT_TRUE(QDir(Path("Programme/Valeurs")).exists());
    // A "program folder" that is a file cannot hold a data folder.
    WriteAll(Path("Systeme"), "x");
    EXPECT_EQ(DataFolder::Resolve(Path("Systeme"), Path("Documents")), Path("Documents/Quorin/Valeurs"));
    EXPECT_TRUE(DataFolder::IsWritable(Path("Documents/Quorin/Valeurs")));
}

TEST(ChemistryFileMemoryTest, PointsNeedingMoreThanAQuarterOfTheMemory_RefusedWithTheSizes)
{
    constexpr qint64 kGiB = qint64(1) << 30;
    const qint64 largestOn8GiB = 8 * kGiB / 4 / ChemistryFile::kMemoryPerFileByte;
    const struct Case {
        qint64 fileBytes;
        qint64 machine;
        bool refused;
    } cases[] = {
        {largestOn8GiB, 8 * kGiB, false},
        {largestOn8GiB + 1, 8 * kGiB, true},
        {208'000'000, 8 * kGiB, true},
        {208'000'000, 32 * kGiB, false},
        {208'000'000, 0, false},  // the system does not say: no refusal
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileBytes);
        bool refused = false;
        try {
            ChemistryFile::CheckFitsInMemory(QStringLiteral("/tmp/gros.che"), c.fileBytes, c.machine);
        } catch (const FileError& error) {
            refused = true;
            EXPECT_TRUE(error.Text().startsWith(QStringLiteral("Le fichier « /tmp/gros.che » est trop volumineux pour cet ordinateur")));
            EXPECT_TRUE(error.Text().endsWith(QStringLiteral("plus du quart des 8,0 Go qu'il possède"))) << error.what();
        }
        EXPECT_EQ(refused, c.refused);
    }
}

}  // namespace
