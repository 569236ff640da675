// Saves that meet a full disk: the write fails when the last bytes are flushed, after the file
// took them into its buffer. Each save must say so in the error box, name the file and the
// system's reason, leave no file under the name (or the earlier one whole), keep the journal
// from calling it saved, and leave the points in the table.
#include "data/ChemistryFile.h"
#include "data/MeasurementRecord.h"
#include "files/DataCommands.h"
#include "FileSizeLimit.h"
#include "MessageLog.h"
#include "report/ReportCommands.h"
#include "RunFixture.h"
#include "support/ErrorBox.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>

#include <functional>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class FailedSaveTest : public RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        ErrorBox::SetPresenter([this](const QString& text) { boxes << text; });

        const auto chosen = [this](QFileDialog&) { return chosenPath; };
        window->Data().SetFileDialogRunner(chosen);
        window->findChild<ReportCommands*>()->SetFileDialogRunner(chosen);
    }
    void TearDown() override
    {
        ErrorBox::SetPresenter({});
        RunFixture::TearDown();
    }
    // A short run: three presses, so that the end of the run keeps points and saves them.
    void Run()
    {
        ToggleRun();
        for (int i = 1; i <= 6; ++i) {
            Sample();
            if (i % 2 == 0) {
                clock.Advance(100);
                Space();
            }
        }
        ToggleRun();
    }
    QStringList DataFiles() const
    {
        return QDir(window->Data().DataFolderPath()).entryList(QDir::Files);
    }

    QTemporaryDir folder;
    // In memory: a journal file would itself meet the size limit.
    MessageLog log;
    QString chosenPath;
    QStringList boxes;
};

TEST_F(FailedSaveTest, EverySaveMeetingAFullDisk_IsReportedAndLeavesNoFileUnderItsName)
{
    Run();
    const int points = window->Record().PointCount();
    ASSERT_GT(points, 0);
    ASSERT_EQ(boxes, QStringList());
    const QByteArray earlier = "un fichier d'avant";
    log.Clear();

    const struct Case {
        const char* name;
        const char* chosen;  // the name given in the dialog; none for the numbered saves
        bool earlierFile;    // a file of that name is there before
        std::function<void()> save;
    } cases[] = {
        // Every file here is far below the write buffer: only the flush meets the full disk.
        {"fin de mesure", nullptr, false, [&] { Run(); }},
        {"Enregistrer", nullptr, false, [&] { window->Menu().Enregistrer1->trigger(); }},
        {"Enregistrer sous, nouveau", "essai.che", false, [&] { window->Menu().Enregistrersous1->trigger(); }},
        {"Enregistrer sous, remplacé", "essai.che", true, [&] { window->Menu().Enregistrersous1->trigger(); }},
        {"tableau CSV", "tableau.csv", false, [&] { window->Menu().Exporterletableau1->trigger(); }},
        {"rapport PDF", "rapport.pdf", true, [&] { window->Menu().ExporterenPDF1->trigger(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.clear();
        QDir(folder.path()).removeRecursively();
        QDir().mkpath(folder.path());
        chosenPath = c.chosen ? folder.filePath(QString::fromUtf8(c.chosen)) : QString();
        if (c.earlierFile) {
            QFile file(chosenPath);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(earlier);
        }
        const QStringList dataBefore = DataFiles();
        {
            const FileSizeLimit full(16);
            c.save();
        }
        ASSERT_EQ(boxes.size(), 1);
        const QString where = c.chosen ? QDir::toNativeSeparators(chosenPath)
                                       : QDir::toNativeSeparators(window->Data().DataFolderPath() + QStringLiteral("/Mesures"));
        EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("Impossible d'enregistrer le fichier « ") + where)) << boxes[0].toStdString();
        EXPECT_TRUE(boxes[0].endsWith(QStringLiteral(" : ") + FileSizeLimit::Reason())) << boxes[0].toStdString();
        EXPECT_EQ(DataFiles(), dataBefore);
        if (c.chosen) {
            EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files),
                      c.earlierFile ? QStringList{QString::fromUtf8(c.chosen)} : QStringList());
            if (c.earlierFile) {
                EXPECT_EQ(ReadAll(chosenPath), earlier);
            }
        }
        EXPECT_EQ(window->Record().PointCount(), points);
    }

    // The journal has the failures and no save; with room again, the same command saves.
    EXPECT_EQ(log.Lines().filter(QStringLiteral("Erreur affichée : Impossible d'enregistrer")).size(), std::ssize(cases));
    EXPECT_EQ(log.Lines().filter(QStringLiteral("enregistré :")), QStringList());
    chosenPath = folder.filePath(QStringLiteral("essai.che"));
    window->Menu().Enregistrersous1->trigger();
    EXPECT_EQ(ChemistryFile::Read(chosenPath).body.count(QLatin1Char('\t')), points);
}

}  // namespace
