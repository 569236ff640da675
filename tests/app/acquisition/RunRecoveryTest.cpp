#include "acquisition/RunRecovery.h"
#include "data/DataFolder.h"
#include "data/MeasurementRecord.h"
#include "data/RecoveryFile.h"
#include "data/RecoveryWriter.h"
#include "files/DataCommands.h"
#include "RunFixture.h"
#include "support/ErrorBox.h"
#include "support/StartupValues.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>

namespace {

using R = MeasurementRecord;

class RunRecoveryTest : public RunFixture {
protected:
    // The pH and volume cells of every point.
    QStringList Points() const
    {
        QStringList points;
        for (int row = 1; row <= window->Record().PointCount(); ++row)
            points << window->Record().Cell(R::ColPH, row) + QLatin1Char('\t') + window->Record().Cell(R::ColVolume, row);
        return points;
    }
    QStringList LeftFiles() const
    {
        return QDir(stateDir->Path()).entryList({RunRecovery::FilePrefix() + QStringLiteral("*.txt")}, QDir::Files);
    }
    QString AsideFolder() const
    {
        return DataFolder::ResolveInterrupted(StartupValues::ProgramDir(), window->Data().FallbackFolderBase());
    }
    QStringList SavedFiles() const
    {
        return QDir(window->Data().DataFolderPath()).entryList({QStringLiteral("*.che")}, QDir::Files);
    }
    // Answers Oui or Non and records the questions and messages.
    void Answer(bool yes)
    {
        window->Recovery().SetQuestion([this, yes](const QString& text) {
            questions << text;
            return yes;
        });
        window->Recovery().SetMessage([this](const QString& text) { messages << text; });
    }

    QStringList questions;
    QStringList messages;
};

TEST_F(RunRecoveryTest, RunKilledAfterItsSamplesIsTakenBackAsEnterWouldHaveEndedIt)
{
    ToggleRun();
    for (int n = 1; n <= 10; ++n) {
        Sample();
        if (n == 3 || n == 7) {
            clock.Advance(200);
            Space();
        }
        if (n == 3) {
            clock.Advance(300);
            Space();
        }
    }
    // The file as it stood at that moment: every sample was written as it came.
    window->Recovery().Writer().WaitIdle();
    const QString runFile = window->Recovery().RunFilePath();
    const RecoveryFile::Contents stood = RecoveryFile::Read(runFile);
    EXPECT_EQ(stood.SampleCount(), 10);
    EXPECT_EQ(stood.pressesMs.size(), 3u);
    QTemporaryDir crash;
    ASSERT_TRUE(QFile::copy(runFile, QDir(crash.path()).filePath(QFileInfo(runFile).fileName())));

    // Enter, for what the recovery must give; the run's own file goes with its save.
    ToggleRun();
    const QStringList byEnter = Points();
    ASSERT_EQ(byEnter.size(), 7);
    window->Recovery().Writer().WaitIdle();
    EXPECT_FALSE(QFile::exists(runFile));

    // The next start finds the file left by the crash.
    MakeWindow(CreateBoard(QStringList(), QString(), clock, nullptr));
    ASSERT_TRUE(QFile::copy(QDir(crash.path()).filePath(QFileInfo(runFile).fileName()),
                            QDir(stateDir->Path()).filePath(QFileInfo(runFile).fileName())));
    const QStringList savedBefore = SavedFiles();
    Answer(true);
    window->OfferLeftRuns();
    EXPECT_EQ(questions, QStringList{RunRecovery::QuestionText(stood.LastSampleTime(), 10)});
    EXPECT_TRUE(questions.value(0).contains(QStringLiteral("(10 points)")));
    EXPECT_EQ(Points(), byEnter);
    EXPECT_EQ(window->Edit6->text(), QStringLiteral("7"));
    EXPECT_EQ(SavedFiles().size(), savedBefore.size() + 1);
    EXPECT_EQ(window->Data().Document().HeldPointCount(), 7);
    window->Recovery().Writer().WaitIdle();
    EXPECT_TRUE(LeftFiles().isEmpty());

    // A second start offers nothing.
    questions.clear();
    window->OfferLeftRuns();
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(RunRecoveryTest, FilesNotTakenBackAreMovedAsideNeverDeleted)
{
    const QByteArray header = RecoveryFile::Header(QDateTime::currentDateTime());
    const QByteArray run = header + RecoveryFile::SampleLine(1, 1000, 7) + RecoveryFile::PressLine(1200);
    const struct {
        const char* name;
        QByteArray bytes;
        int questions;
        int messages;
    } cases[] = {
        {"refused", run, 1, 0},
        {"unreadable", "Quorin\rTitrage\r", 0, 1},
        {"no whole sample", header + "E 1 10", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        questions.clear();
        messages.clear();
        const QString name = RunRecovery::FilePrefix() + QString::fromLatin1(c.name).replace(QLatin1Char(' '), QLatin1Char('-'))
            + QStringLiteral(".txt");
        QFile file(QDir(stateDir->Path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.bytes);
        file.close();
        Answer(false);
        window->OfferLeftRuns();
        EXPECT_EQ(questions.size(), c.questions);
        EXPECT_EQ(messages.size(), c.messages);
        EXPECT_TRUE(LeftFiles().isEmpty());
        QFile aside(QDir(AsideFolder()).filePath(name));
        ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
        EXPECT_EQ(aside.readAll(), c.bytes);
    }
    EXPECT_EQ(window->Record().PointCount(), 0);
}

TEST_F(RunRecoveryTest, FileOfACopyStillRunningIsNotOffered)
{
    ToggleRun();
    Sample();
    Space();
    Sample();
    // Another copy, started now on the same state folder.
    RunRecovery other(stateDir->Path(), [this] { return AsideFolder(); });
    bool asked = false;
    other.SetQuestion([&](const QString&) { return asked = true; });
    other.OfferLeftRuns();
    EXPECT_FALSE(asked);
    EXPECT_EQ(LeftFiles().size(), 1);

    // Closing the window during the run, confirmed: the file stays for the next start.
    window->SetQuitDuringRunQuestion([] { return true; });
    EXPECT_TRUE(window->close());
    window->Recovery().Writer().WaitIdle();
    EXPECT_EQ(LeftFiles().size(), 1);
}

TEST_F(RunRecoveryTest, SeveralLeftRunsAreOfferedNewestFirst)
{
    const QDateTime monday(QDate(2024, 5, 6), QTime(9, 5));
    const struct {
        const char* name;
        QDateTime started;
        int samples;
    } runs[] = {{"a", monday.addDays(1), 2}, {"b", monday.addDays(3), 3}, {"c", monday, 4}};
    for (const auto& run : runs) {
        QByteArray bytes = RecoveryFile::Header(run.started);
        for (int n = 1; n <= run.samples; ++n)
            bytes += RecoveryFile::SampleLine(n, 1000 + (n - 1) * 1500, 7);
        QFile file(QDir(stateDir->Path()).filePath(RunRecovery::FilePrefix() + QLatin1String(run.name) + QStringLiteral(".txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    Answer(false);
    window->OfferLeftRuns();
    EXPECT_EQ(questions, (QStringList{RunRecovery::QuestionText(monday.addDays(3).addMSecs(4000), 3),
                                      RunRecovery::QuestionText(monday.addDays(1).addMSecs(2500), 2),
                                      RunRecovery::QuestionText(monday.addMSecs(5500), 4)}));
}

TEST_F(RunRecoveryTest, FailedAutomaticSaveKeepsTheRecoveryFileUntilASaveSucceeds)
{
    // Neither the data folder nor its fallback can be made: a file stands where each should be.
    QTemporaryDir blocked;
    for (const QString& name : {QStringLiteral("Valeurs"), QStringLiteral("Quorin")}) {
        QFile in(QDir(blocked.path()).filePath(name));
        ASSERT_TRUE(in.open(QIODevice::WriteOnly));
    }
    const QString programDir = StartupValues::ProgramDir();
    StartupValues::SetProgramDir(blocked.path());
    window->Data().SetFallbackFolderBase(blocked.path());
    QStringList errors;
    ErrorBox::SetPresenter([&](const QString& text) { errors << text; });

    ToggleRun();
    Sample();
    Space();
    Sample();
    ToggleRun();
    StartupValues::SetProgramDir(programDir);
    ErrorBox::SetPresenter({});

    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Impossible d'enregistrer le fichier"))) << errors[0].toStdString();
    EXPECT_TRUE(errors[0].contains(QStringLiteral("Mesures1.che"))) << errors[0].toStdString();
    EXPECT_TRUE(errors[0].contains(QStringLiteral("impossible de créer le dossier"))) << errors[0].toStdString();
    EXPECT_EQ(window->Record().PointCount(), 1);
    window->Recovery().Writer().WaitIdle();
    ASSERT_EQ(window->Recovery().KeptFiles().size(), 1);
    EXPECT_EQ(LeftFiles().size(), 1);

    // "Enregistrer sous..." elsewhere: the points are safe, the file goes.
    QTemporaryDir elsewhere;
    const QString chosen = QDir(elsewhere.path()).filePath(QStringLiteral("titrage.che"));
    window->Data().SetFileDialogRunner([&](QFileDialog&) { return chosen; });
    window->Menu().Enregistrersous1->trigger();
    EXPECT_TRUE(QFile::exists(chosen));
    window->Recovery().Writer().WaitIdle();
    EXPECT_TRUE(window->Recovery().KeptFiles().isEmpty());
    EXPECT_TRUE(LeftFiles().isEmpty());
}

}  // namespace
