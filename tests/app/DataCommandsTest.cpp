#include "ChemistryFile.h"
#include "DataCommands.h"
#include "FileError.h"
#include "MeasurementRecord.h"
#include "NumberText.h"
#include "StartupValues.h"
#include "TFDgCommentaire.h"
#include "TFDialogRedPoints.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using R = MeasurementRecord;

QByteArray Header(const char* comment, const char* beaker = "0,1", const char* burette = "0,2", const char* volume = "0,050")
{
    return QByteArray("Quorin\r") + comment + "\rMesure\r7.0.0\r\rsix\rsept\rhuit\r" + beaker + "\r" + burette + "\r" + volume
        + "\rdouze\r\r\r\r";
}

// N points rising by 10 pH/L with a jump of 6 after row N / 2.
QByteArray TitrationBody(int n)
{
    QString text;
    for (int r = 1; r <= n; ++r)
        text += NumberText::Fixed(3.0 + 0.001 * r + (r > n / 2 ? 6.0 : 0.0), 4, 3) + QLatin1Char('\t')
            + NumberText::Fixed(r * 0.0001, 6, 6) + QLatin1Char('\r');
    return text.toLatin1() + "\r\r\r\r\n";
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class DataCommandsTest : public ::testing::Test {
protected:
    DataCommandsTest()
    {
        StartupValues::SetProgramDir(Path("Programme"));
        commands.SetFallbackFolderBase(Path("Documents"));
        commands.SetFileDialogRunner([this](QFileDialog& dialog) {
            ++dialogsShown;
            lastDialog = &dialog;
            return chosenPath;
        });
        commands.SetModalRunner([this](QDialog& dialog) {
            if (modalAction)
                modalAction(dialog);
        });
    }

    QString Path(const QString& name) const { return QDir(dir.path()).filePath(name); }
    QString Path(const char* name) const { return Path(QString::fromLatin1(name)); }
    QString DataFile(const QString& name) const { return Path(QStringLiteral("Programme/Valeurs/") + name); }

    QString WriteFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    void Open(const QString& name, const QByteArray& bytes)
    {
        chosenPath = WriteFile(name, bytes);
        commands.Ouvrir1Click();
    }

    // The reduction dialog answers with `count` typed and Enter.
    void AnswerReductionWith(const QString& count)
    {
        modalAction = [count](QDialog& dialog) {
            auto& reduction = dynamic_cast<TFDialogRedPoints&>(dialog);
            reduction.show();
            reduction.Edit1()->clear();
            QTest::keyClicks(reduction.Edit1(), count);
            QTest::keyClick(reduction.Edit1(), Qt::Key_Return);
        };
    }

    QTemporaryDir dir;
    QWidget window;
    R record;
    QStatusBar statusBar;
    QLineEdit edit6;
    QLineEdit edit7;
    DataCommands commands{&window, record, &statusBar, &edit6, &edit7};
    QString chosenPath;
    int dialogsShown = 0;
    QFileDialog* lastDialog = nullptr;
    std::function<void(QDialog&)> modalAction;
};

TEST_F(DataCommandsTest, Open_FillsTheTableItsViewsAndTheHeldCopy)
{
    QSignalSpy chart(&record, &R::ChartRebuilt);
    Open(QStringLiteral("a.che"), Header("Acide fort") + "10,124\t0,00075\r7,1234\t0,0015\r\r\r\r\r\n");

    ASSERT_EQ(lastDialog, &commands.OpenDialog1());
    EXPECT_EQ(lastDialog->windowTitle(), QStringLiteral("Ouverture d'un fichier de chimie"));
    EXPECT_EQ(lastDialog->nameFilters(), QStringList{QStringLiteral("Fichiers de chimie (*.che)")});
    EXPECT_EQ(lastDialog->defaultSuffix(), QStringLiteral("che"));
    EXPECT_EQ(lastDialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(QDir(lastDialog->directory()).absolutePath(), QDir(Path(QStringLiteral("Programme/Valeurs"))).absolutePath());

    EXPECT_EQ(record.PointCount(), 2);
    EXPECT_EQ(record.Cell(R::ColPH, 1), QStringLiteral("10,120"));
    EXPECT_EQ(record.Cell(R::ColVolume, 1), QStringLiteral("0,000750"));
    EXPECT_EQ(edit6.text(), QStringLiteral("2"));
    EXPECT_EQ(edit7.text(), QStringLiteral("Acide fort"));
    EXPECT_EQ(statusBar.currentMessage(), QStringLiteral("Acide fort"));
    EXPECT_EQ(commands.CommentDialog().Edit1()->text(), QStringLiteral("Acide fort"));
    EXPECT_EQ(commands.CommentDialog().Edit2()->text(), QStringLiteral("0,1"));
    EXPECT_EQ(commands.CommentDialog().Edit4()->text(), QStringLiteral("0,050"));
    EXPECT_EQ(commands.Document().MeasurementText(), QStringLiteral("10,120\t0,000750\r7,123\t0,001500\r\r\r\r"));
    EXPECT_FALSE(record.TimeMode());
    EXPECT_EQ(chart.count(), 1);
}

TEST_F(DataCommandsTest, Open_CancelledOrUnreadableStartsNothingElse)
{
    commands.Ouvrir1Click();
    EXPECT_EQ(dialogsShown, 1);
    EXPECT_EQ(record.PointCount(), 0);
    EXPECT_TRUE(commands.Document().MeasurementText().isEmpty());

    chosenPath = Path(QStringLiteral("absent.che"));
    EXPECT_THROW(commands.Ouvrir1Click(), FileError);
}

TEST_F(DataCommandsTest, Open_BodyStartingWithCrGivesAnEmptyTableAndKeepsTheChart)
{
    Open(QStringLiteral("a.che"), Header("c") + TitrationBody(10));
    QSignalSpy chart(&record, &R::ChartRebuilt);
    QSignalSpy titles(&record, &R::ChartTitlesChanged);
    Open(QStringLiteral("vide.che"), Header("vide") + "\r7\t0\r");
    EXPECT_EQ(record.PointCount(), 0);
    EXPECT_EQ(edit6.text(), QStringLiteral("0"));
    EXPECT_EQ(chart.count(), 0);
    ASSERT_EQ(titles.count(), 1);
    EXPECT_EQ(titles.at(0).at(0).toBool(), false);
    EXPECT_EQ(commands.Document().MeasurementText(), QStringLiteral("\r\r\r"));
}

TEST_F(DataCommandsTest, Open_ShortFileEmptiesTheValuesAndLeavesTheTable)
{
    Open(QStringLiteral("a.che"), Header("c") + TitrationBody(10));
    Open(QStringLiteral("court.che"), "Quorin\rcourt\rMesure\r");
    EXPECT_EQ(record.PointCount(), 10);
    EXPECT_EQ(edit7.text(), QStringLiteral("court"));
    EXPECT_EQ(commands.Document().Values().beakerConcentration, QString());
    EXPECT_EQ(commands.CommentDialog().Edit3()->text(), QString());
}

TEST_F(DataCommandsTest, Open_CrLfDataLoadsOnePointAndSaysSo)
{
    Open(QStringLiteral("crlf.che"), Header("c") + "3,512\t0,000000\r\n3,530\t0,000750\r\n");
    EXPECT_EQ(record.PointCount(), 1);
    EXPECT_EQ(edit6.text(), QStringLiteral("1"));
    EXPECT_EQ(statusBar.currentMessage(), QStringLiteral("Erreur de lecture de nombre réel."));
}

TEST_F(DataCommandsTest, OpenNamedFile_OpensAnExistingFileAndIgnoresTheRest)
{
    statusBar.showMessage(QStringLiteral("avant"));
    commands.OpenNamedFile(QString());
    commands.OpenNamedFile(Path(QStringLiteral("absent.che")));
    commands.OpenNamedFile(dir.path());
    EXPECT_EQ(statusBar.currentMessage(), QStringLiteral("avant"));
    commands.OpenNamedFile(WriteFile(QStringLiteral("ligne.che"), Header("ligne") + TitrationBody(4)));
    EXPECT_EQ(record.PointCount(), 4);
    EXPECT_EQ(dialogsShown, 0);
}

TEST_F(DataCommandsTest, Comment_TakesEffectWhenTheDialogClosesWhicheverWay)
{
    Open(QStringLiteral("a.che"), Header("Du fichier") + TitrationBody(4));
    commands.Enregistrer1Click();
    // Before the dialog has been closed the comment saved is the one from before the open.
    QList<QByteArray> lines = ReadAll(DataFile(QStringLiteral("Mesures1.che"))).split('\r');
    EXPECT_EQ(lines[1], QByteArray());
    EXPECT_EQ(lines[8], QByteArray("0,1"));
    EXPECT_EQ(lines[5], QByteArray("six"));

    // Closed by its close box, after typing: the typed texts count.
    modalAction = [](QDialog& dialog) {
        auto& comment = dynamic_cast<TFDgCommentaire&>(dialog);
        comment.show();
        comment.Edit1()->end(false);
        comment.Edit1()->insert(QStringLiteral(" modifié"));
        comment.Edit4()->setText(QStringLiteral("vingt mL"));
        comment.close();
    };
    commands.Ajouteruncommentaire1Click();
    EXPECT_EQ(edit7.text(), QStringLiteral("Du fichier modifié"));
    commands.Enregistrer1Click();
    lines = ReadAll(DataFile(QStringLiteral("Mesures2.che"))).split('\r');
    EXPECT_EQ(lines[1], QByteArray("Du fichier modifi\xe9"));
    EXPECT_EQ(lines[10], QByteArray("vingt mL"));
}

TEST_F(DataCommandsTest, Saves_WithAnEmptyTableDoNothingNotEvenTheDialog)
{
    commands.Enregistrer1Click();
    commands.Enregistrersous1Click();
    commands.FinishRun();
    EXPECT_EQ(dialogsShown, 0);
    EXPECT_FALSE(QDir(Path(QStringLiteral("Programme/Valeurs"))).exists(QStringLiteral("Mesures1.che")));
}

TEST_F(DataCommandsTest, SaveAs_WritesTheChosenFileAfterTheDialogIsSetUp)
{
    Open(QStringLiteral("a.che"), Header("c") + TitrationBody(4));
    chosenPath = Path(QStringLiteral("copie.che"));
    commands.Enregistrersous1Click();
    ASSERT_EQ(lastDialog, &commands.SaveDialog1());
    EXPECT_EQ(lastDialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(lastDialog->testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(lastDialog->defaultSuffix(), QStringLiteral("che"));
    EXPECT_EQ(lastDialog->nameFilters(), QStringList{QStringLiteral("Fichiers de chimie (*.che)")});
    EXPECT_TRUE(QDir(Path(QStringLiteral("Programme/Valeurs"))).exists());
    EXPECT_TRUE(ReadAll(chosenPath).endsWith(QByteArray(TitrationBody(4))));

    // A name that cannot be written reaches the error box; the earlier file stays.
    const QByteArray before = ReadAll(chosenPath);
    chosenPath = Path(QStringLiteral("copie.che/impossible.che"));
    EXPECT_THROW(commands.Enregistrersous1Click(), FileError);
    EXPECT_EQ(ReadAll(Path(QStringLiteral("copie.che"))), before);
}

TEST_F(DataCommandsTest, FinishRun_HoldsTheRunAndSavesItNumbered)
{
    record.ResetRecord();
    for (int i = 0; i < 3; ++i) {
        record.AppendSample(3.5 + i);
        record.SetCell(R::ColVolume, i + 1, NumberText::Fixed(i * 0.0005, 6, 6));
    }
    commands.FinishRun();
    commands.Enregistrer1Click();
    const QByteArray expected = ChemistryFile::FileBytes(commands.Document().BuildFileText());
    EXPECT_TRUE(expected.endsWith("3,500\t0,000000\r4,500\t0,000500\r5,500\t0,001000\r\r\r\r\r\n"));
    EXPECT_EQ(ReadAll(DataFile(QStringLiteral("Mesures1.che"))), expected);
    EXPECT_EQ(ReadAll(DataFile(QStringLiteral("Mesures2.che"))), expected);
}

TEST_F(DataCommandsTest, FinishRun_UsesTheFallbackFolderWhenProgramDirCannotHoldData)
{
    StartupValues::SetProgramDir(WriteFile(QStringLiteral("pas-un-dossier"), "x"));
    record.ResetRecord();
    record.AppendSample(7.0);
    record.SetCell(R::ColVolume, 1, QStringLiteral("0,000000"));
    commands.FinishRun();
    EXPECT_TRUE(QFile::exists(Path(QStringLiteral("Documents/Quorin/Valeurs/Mesures1.che"))));
}

TEST_F(DataCommandsTest, Reduction_WorkedExampleThenAgainThenRestore)
{
    Open(QStringLiteral("titrage.che"), Header("c") + TitrationBody(300));
    const QString full = commands.Document().MeasurementText();
    AnswerReductionWith(QStringLiteral("100"));
    commands.Eliminerdespoints1Click();
    EXPECT_EQ(record.PointCount(), 76);
    EXPECT_EQ(edit6.text(), QStringLiteral("76"));
    EXPECT_EQ(record.Cell(R::ColVolume, 1), QStringLiteral("0,000000"));
    EXPECT_EQ(record.Cell(R::ColVolume, 76), QStringLiteral("0,030000"));
    const auto reduced = record.Rows();

    commands.Eliminerdespoints1Click();
    EXPECT_EQ(record.Rows(), reduced);
    EXPECT_EQ(commands.Document().MeasurementText(), full);

    // Saving a reduced table still writes every point.
    commands.Enregistrer1Click();
    EXPECT_TRUE(ReadAll(DataFile(QStringLiteral("Mesures1.che"))).endsWith(TitrationBody(300)));

    commands.Rtablirtouslespoints1Click();
    EXPECT_EQ(record.PointCount(), 300);
    EXPECT_EQ(edit6.text(), QStringLiteral("300"));
    EXPECT_EQ(record.Cell(R::ColPH, 300), QStringLiteral("9,300"));
    EXPECT_EQ(record.Cell(R::ColVolume, 300), QStringLiteral("0,030000"));
}

TEST_F(DataCommandsTest, Reduction_CountsThatDoNotReduceLeaveAllPoints)
{
    struct Case {
        const char* typed;
        const char* status;
    };
    const Case cases[] = {{"19", "avant"}, {"abc", "avant"}, {"300", "Erreur"}, {"5000", "Erreur"}};
    Open(QStringLiteral("titrage.che"), Header("c") + TitrationBody(300));
    for (const auto& c : cases) {
        AnswerReductionWith(QStringLiteral("100"));
        commands.Eliminerdespoints1Click();
        ASSERT_EQ(record.PointCount(), 76);
        statusBar.showMessage(QStringLiteral("avant"));
        AnswerReductionWith(QString::fromLatin1(c.typed));
        commands.Eliminerdespoints1Click();
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(record.PointCount(), 300);
        EXPECT_EQ(edit6.text(), QStringLiteral("300"));
        EXPECT_EQ(statusBar.currentMessage(), QString::fromLatin1(c.status));
    }
}

TEST_F(DataCommandsTest, ReductionAndRestore_OnAnEmptyTableSayErreurAndEmptyTheChart)
{
    QSignalSpy chart(&record, &R::ChartRebuilt);
    bool asked = false;
    modalAction = [&asked](QDialog&) { asked = true; };
    commands.Rtablirtouslespoints1Click();
    EXPECT_EQ(statusBar.currentMessage(), QStringLiteral("Erreur"));
    commands.Eliminerdespoints1Click();
    EXPECT_FALSE(asked);
    ASSERT_EQ(chart.count(), 3);
    EXPECT_TRUE(chart.at(2).at(0).value<QList<QPointF>>().isEmpty());
}

TEST_F(DataCommandsTest, Restore_WithoutAHeldCopyKeepsTheTable)
{
    record.ResetRecord();
    record.AppendSample(7.0);
    commands.Rtablirtouslespoints1Click();
    EXPECT_EQ(record.PointCount(), 1);
    EXPECT_EQ(record.Cell(R::ColPH, 1), QStringLiteral("7,000"));
    EXPECT_EQ(statusBar.currentMessage(), QStringLiteral("Erreur"));
}

TEST_F(DataCommandsTest, DuringARun_OpenReduceAndRestoreAreRefused)
{
    Open(QStringLiteral("titrage.che"), Header("c") + TitrationBody(300));
    bool running = true;
    commands.SetRunInProgress([&running] { return running; });
    bool asked = false;
    modalAction = [&asked](QDialog&) { asked = true; };
    const int dialogsBefore = dialogsShown;
    const std::function<void()> refused[] = {
        [this] { commands.Ouvrir1Click(); },
        [this] { commands.OpenNamedFile(chosenPath); },
        [this] { commands.Eliminerdespoints1Click(); },
        [this] { commands.Rtablirtouslespoints1Click(); },
    };
    for (const auto& command : refused) {
        statusBar.clearMessage();
        command();
        EXPECT_EQ(statusBar.currentMessage(), QStringLiteral("Impossible pendant une mesure"));
    }
    EXPECT_EQ(dialogsShown, dialogsBefore);
    EXPECT_FALSE(asked);
    EXPECT_EQ(record.PointCount(), 300);
    running = false;
    AnswerReductionWith(QStringLiteral("100"));
    commands.Eliminerdespoints1Click();
    EXPECT_EQ(record.PointCount(), 76);
}

TEST_F(DataCommandsTest, Copies_PutBothVariantsOnTheClipboard)
{
    Open(QStringLiteral("a.che"), Header("c") + "7,123\t0,012\r\r\r\r");
    commands.Copier1Click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Volume versé en L\tpH\r0,012000\t7,123\r"));
    commands.Copiersparateurdcimal2Click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Volume versé en L\tpH\r0.012000\t7.123\r"));
    EXPECT_EQ(record.Cell(R::ColVolume, 1), QStringLiteral("0,012000"));
}

}  // namespace
