#include "ChemistryDocument.h"
#include "ChemistryFile.h"
#include "DataFolder.h"
#include "FileError.h"
#include "MeasurementRecord.h"
#include "Windows1252.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

using R = MeasurementRecord;

const QByteArray kWorkedExample("Quorin\rTitrage 1\rMesure\r7.0.0\r\r\r\r\r0,01\r0,01\r0,020\r\r\r\r\r"
                                "3,512\t0,000000\r3,530\t0,000750\r3,561\t0,001500\r\r\r\r\r\n");

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The three points of the worked example, as a run leaves them.
void FillWorkedExample(R& record)
{
    record.ResetRecord();
    const std::pair<double, const char*> points[] = {{3.512, "0,000000"}, {3.530, "0,000750"}, {3.561, "0,001500"}};
    for (const auto& [pH, volume] : points) {
        record.AppendSample(pH);
        record.SetCell(R::ColVolume, record.PointCount(), QString::fromLatin1(volume));
    }
}

class ChemistryFileTest : public ::testing::Test {
protected:
    QString Path(const char* name) const { return QDir(dir.path()).filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
    R record;
    ChemistryDocument document;
};

TEST_F(ChemistryFileTest, WorkedExample_IsWrittenByteForByte)
{
    FillWorkedExample(record);
    document.TakeMeasurementText(record);
    document.Values().currentComment = QStringLiteral("Titrage 1");
    const QString path = document.SaveNumbered(dir.path(), document.BuildFileText());
    EXPECT_EQ(path, Path("Mesures1.che"));
    EXPECT_EQ(ReadAll(path), kWorkedExample);
}

TEST_F(ChemistryFileTest, OpenThenSave_CarriesLines6To8And12AndRewritesTheRest)
{
    const QByteArray original("Autre\rLe commentaire\rDonn\xe9""es\r6.1\rcinq\rsix\rsept\rhuit\r0,1\r0,2\r0,050\r"
                              "douze\rtreize\rquatorze\rquinze\r7\t0,001\r\r\r\r\r\n");
    WriteAll(Path("in.che"), original);
    const ChemistryFile::Contents contents = document.ReadChemistryFile(Path("in.che"));
    EXPECT_EQ(contents.headerLines.value(1), QStringLiteral("Le commentaire"));
    EXPECT_EQ(contents.headerLines.value(2), QStringLiteral("Données"));
    EXPECT_EQ(contents.body, QStringLiteral("7\t0,001\r\r\r\r\r\n"));
    // The comment that is saved is the current one, not the file's, until the dialog closes.
    document.Values().currentComment = QStringLiteral("avant");
    ChemistryFile::Write(Path("out.che"), document.BuildFileText());
    EXPECT_EQ(ReadAll(Path("out.che")),
              QByteArray("Quorin\ravant\rMesure\r7.0.0\r\rsix\rsept\rhuit\r0,1\r0,2\r0,050\rdouze\r\r\r\r\r\n"));
}

TEST(ChemistryFileParseTest, Parse_SplitsLinesAtCrSkippingOneLfAndStopsAtByte26)
{
    struct Case {
        QByteArray bytes;
        QString line2;
        QString line11;
        QString body;
    };
    const Case cases[] = {
        // fewer than 15 lines: the missing ones are empty, no body
        {QByteArray("Quorin\rcomment\rMesure"), QStringLiteral("comment"), QString(), QString()},
        // CR LF header lines count as one line end each
        {QByteArray("a\r\nb\r\nc\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n13\r\n14\r\n15\r\n7\t0\r"),
         QStringLiteral("b"), QStringLiteral("11"), QStringLiteral("7\t0\r")},
        // a body that starts with CR
        {QByteArray("1\r2\r3\r4\r5\r6\r7\r8\r9\r10\r11\r12\r13\r14\r15\r\r\r\r"), QStringLiteral("2"),
         QStringLiteral("11"), QStringLiteral("\r\r\r")},
        // byte 26 ends the file, in the header as in the body
        {QByteArray("1\r2\x1a""3\r"), QStringLiteral("2"), QString(), QString()},
        {QByteArray("1\r2\r3\r4\r5\r6\r7\r8\r9\r10\r11\r12\r13\r14\r15\r7\t0\r\x1a""8\t1\r"), QStringLiteral("2"),
         QStringLiteral("11"), QStringLiteral("7\t0\r")},
        // two CR LF pairs: the second LF begins the next line
        {QByteArray("1\r\n\n2\r"), QStringLiteral("\n2"), QString(), QString()},
    };
    for (const auto& c : cases) {
        const ChemistryFile::Contents contents = ChemistryFile::Parse(c.bytes);
        SCOPED_TRACE(c.bytes.toStdString());
        ASSERT_EQ(contents.headerLines.size(), ChemistryFile::kHeaderLineCount);
        EXPECT_EQ(contents.headerLines[1], c.line2);
        EXPECT_EQ(contents.headerLines[10], c.line11);
        EXPECT_EQ(contents.body, c.body);
    }
}

TEST_F(ChemistryFileTest, ReadChemistryFile_FewerThan15LinesEmptiesTheTitrationValues)
{
    WriteAll(Path("short.che"), QByteArray("Quorin\rcourt\rMesure\r"));
    const ChemistryFile::Contents contents = document.ReadChemistryFile(Path("short.che"));
    EXPECT_TRUE(contents.body.isEmpty());
    EXPECT_EQ(document.Values().beakerConcentration, QString());
    EXPECT_EQ(document.Values().buretteConcentration, QString());
    EXPECT_EQ(document.Values().beakerVolume, QString());
    EXPECT_EQ(document.Values().currentComment, QString());
}

TEST_F(ChemistryFileTest, ReadChemistryFile_MissingFileThrowsFrenchErrorWithTheName)
{
    try {
        document.ReadChemistryFile(Path("absent.che"));
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_TRUE(error.Text().startsWith(QStringLiteral("Impossible d'ouvrir le fichier « "))) << error.what();
        EXPECT_TRUE(error.Text().contains(QStringLiteral("absent.che")));
    }
}

TEST_F(ChemistryFileTest, ReadChemistryFile_FromADeviceMatchesTheFileReading)
{
    QBuffer buffer;
    buffer.setData(kWorkedExample);
    const ChemistryFile::Contents contents = document.ReadChemistryFile(buffer, QStringLiteral("mémoire"));
    EXPECT_EQ(contents.headerLines[1], QStringLiteral("Titrage 1"));
    EXPECT_EQ(document.Values().beakerVolume, QStringLiteral("0,020"));
    EXPECT_EQ(contents.body, QStringLiteral("3,512\t0,000000\r3,530\t0,000750\r3,561\t0,001500\r\r\r\r\r\n"));
}

TEST(ChemistryFileTextTest, FileBytes_KeepHeaderLinesWholeWhateverTheCommentHolds)
{
    HeaderValues values;
    values.currentComment = QStringLiteral("pH \u6f22 é\rfin\x1a");
    values.beakerVolume = QStringLiteral("0.020 L");
    const QByteArray bytes = ChemistryFile::FileBytes(
        ChemistryFile::BuildFileText(QStringList(), values, QStringLiteral("\r\r\r")));
    const ChemistryFile::Contents back = ChemistryFile::Parse(bytes);
    EXPECT_EQ(back.headerLines[1], QStringLiteral("pH ? é fin "));
    EXPECT_EQ(back.headerLines[10], QStringLiteral("0.020 L"));
    EXPECT_EQ(back.body, QStringLiteral("\r\r\r\r\n"));
    EXPECT_TRUE(bytes.contains("\xe9"));
}

TEST_F(ChemistryFileTest, SaveNumbered_CountsUpAndNeverReplacesAnEarlierFile)
{
    FillWorkedExample(record);
    document.TakeMeasurementText(record);
    EXPECT_EQ(document.SaveNumbered(dir.path(), document.BuildFileText()), Path("Mesures1.che"));
    EXPECT_EQ(document.SaveNumbered(dir.path(), document.BuildFileText()), Path("Mesures2.che"));
    const QByteArray first = ReadAll(Path("Mesures1.che"));

    // The program starts again: its counter starts at 0, the files of the last lesson stay.
    ChemistryDocument nextStart;
    nextStart.Values().currentComment = QStringLiteral("leçon suivante");
    EXPECT_EQ(nextStart.SaveNumbered(dir.path(), nextStart.BuildFileText()), Path("Mesures3.che"));
    EXPECT_EQ(nextStart.SaveCounter(), 3);
    EXPECT_EQ(ReadAll(Path("Mesures1.che")), first);

    // A gap is filled no more: the counter only grows within a run of the program.
    QFile::remove(Path("Mesures1.che"));
    EXPECT_EQ(nextStart.SaveNumbered(dir.path(), nextStart.BuildFileText()), Path("Mesures4.che"));
}

TEST_F(ChemistryFileTest, SaveNumbered_CreatesTheFolderWithItsParents)
{
    const QString folder = Path("a/b/Valeurs");
    EXPECT_EQ(document.SaveNumbered(folder, document.BuildFileText()), QDir(folder).filePath(QStringLiteral("Mesures1.che")));
}

TEST_F(ChemistryFileTest, RefusedSave_ReportsTheReasonAndKeepsTheCounterIncrement)
{
    WriteAll(Path("fichier"), "x");
    EXPECT_THROW(document.SaveNumbered(Path("fichier/dossier"), QStringLiteral("t")), FileError);
    try {
        ChemistryFile::Write(Path("fichier/Mesures1.che"), QStringLiteral("t"));
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_TRUE(error.Text().startsWith(QStringLiteral("Impossible d'enregistrer le fichier « "))) << error.what();
    }
    WriteAll(Path("Mesures1.che"), "ancien");
    EXPECT_EQ(document.SaveNumbered(dir.path(), QStringLiteral("t")), Path("Mesures2.che"));
}

// Writes beyond a size limit fail as on a full disk (the signal that would end the process is
// ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

TEST_F(ChemistryFileTest, InterruptedSave_LeavesTheEarlierFileWhole)
{
    const QByteArray earlier = ChemistryFile::FileBytes(QStringLiteral("ancien contenu\r"));
    WriteAll(Path("Titrage.che"), earlier);
    const QString big = QString(20000, QLatin1Char('7'));
    bool failed = false;
    {
        const FileSizeLimit limit(4096);
        try {
            ChemistryFile::Write(Path("Titrage.che"), big);
        } catch (const FileError& error) {
            failed = true;
            EXPECT_TRUE(error.Text().contains(QStringLiteral("Titrage.che"))) << error.what();
        }
    }
    EXPECT_TRUE(failed);
    EXPECT_EQ(ReadAll(Path("Titrage.che")), earlier);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Titrage.che")});
}

TEST_F(ChemistryFileTest, DataFolder_IsValeursBesideTheProgramOrTheFallbackWhenThatCannotBeWritten)
{
    const QString programDir = Path("Programme");
    EXPECT_EQ(DataFolder::Resolve(programDir, Path("Documents")), programDir + QStringLiteral("/Valeurs"));
    EXPECT_TRUE(QDir(programDir + QStringLiteral("/Valeurs")).exists());

    // A "program folder" that is a file cannot hold a data folder.
    WriteAll(Path("Systeme"), "x");
    const QString fallback = DataFolder::Resolve(Path("Systeme"), Path("Documents"));
    EXPECT_EQ(fallback, Path("Documents/Quorin/Valeurs"));
    EXPECT_TRUE(DataFolder::IsWritable(fallback));
    EXPECT_EQ(DataFolder::Resolve(QString(), Path("Documents")), fallback);
}

TEST(Windows1252Test, EncodeAndDecode_RoundTripEveryByte)
{
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(static_cast<char>(i));
    EXPECT_EQ(Windows1252::Encode(Windows1252::Decode(all)), all);
    EXPECT_EQ(Windows1252::Encode(QStringLiteral("é€")), QByteArray("\xe9\x80"));
    EXPECT_EQ(Windows1252::Encode(QString::fromUtf8("\xf0\x9f\x98\x80 ok")), QByteArray("? ok"));
}

}  // namespace
