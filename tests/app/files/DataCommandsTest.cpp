#include "data/ChemistryFile.h"
#include "data/FileError.h"
#include "data/MeasurementRecord.h"
#include "data/NumberText.h"
#include "data/TFDgCommentaire.h"
#include "data/TFDialogRedPoints.h"
#include "files/DataCommands.h"
#include "support/StartupValues.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using R = MeasurementRecord;

QByteArray File(const char* comment, const QByteArray& body)
{
    return QByteArray("Quorin\r") + comment + "\rMesure\r7.0.0\r\rsix\rsept\rhuit\r0,1\r0,2\r0,050\rdouze\r\r\r\r" + body;
}

// N points rising by 10 pH/L with a jump of 6 after row N / 2, as the program writes them.
QByteArray Titration(int n)
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
        // The fields and the status bar as the window shows what the commands say.
        QObject::connect(&commands, &DataCommands::StatusChanged, &statusBar,
                         [this](const QString& text) { statusBar.showMessage(text); });
        QObject::connect(&commands, &DataCommands::PointCountChanged, &edit6,
                         [this](int count) { edit6.setText(QString::number(count)); });
        QObject::connect(&commands, &DataCommands::CommentChanged, &edit7, &QLineEdit::setText);
        commands.SetFallbackFolderBase(Path("Documents"));
        commands.SetFileDialogRunner([this](QFileDialog& dialog) {
            shownDialog = &dialog;
            return chosenPath;
        });
        commands.SetModalRunner([this](QDialog& dialog) {
            ++modalsShown;
            if (modalAction)
                modalAction(dialog);
        });
    }

    QString Path(const char* name) const { return QDir(dir.path()).filePath(QString::fromLatin1(name)); }

    QString Write(const char* name, const QByteArray& bytes)
    {
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    void Open(const char* name, const QByteArray& bytes)
    {
        chosenPath = Write(name, bytes);
        commands.Ouvrir1Click();
    }

    // The reduction dialog answers with `count` typed, then Enter.
    void Reduce(const char* count)
    {
        modalAction = [count](QDialog& dialog) {
            auto& reduction = dynamic_cast<TFDialogRedPoints&>(dialog);
            reduction.show();
            reduction.Edit1()->clear();
            QTest::keyClicks(reduction.Edit1(), QString::fromLatin1(count));
            QTest::keyClick(reduction.Edit1(), Qt::Key_Return);
        };
        commands.Eliminerdespoints1Click();
    }

    QTemporaryDir dir;
    QWidget window;
    R record;
    QStatusBar statusBar;
    QLineEdit edit6;
    QLineEdit edit7;
    DataCommands commands{&window, record};
    QString chosenPath;
    QFileDialog* shownDialog = nullptr;
    int modalsShown = 0;
    std::function<void(QDialog&)> modalAction;
};

TEST_F(DataCommandsTest, Open_FillsTheTableItsViewsAndTheHeldCopy)
{
    QSignalSpy chart(&record, &R::ChartRebuilt);
    Open("a.che", File("Acide fort", "10,124\t0,00075\r7,1234\t0,0015\r\r\r\r\r\n"));
    ASSERT_EQ(shownDialog, &commands.OpenDialog1());
    EXPECT_EQ(shownDialog->windowTitle(), QStringLiteral("Ouverture d'un fichier de chimie"));
    EXPECT_EQ(shownDialog->nameFilters(), QStringList{QStringLiteral("Fichiers de chimie (*.che)")});
    EXPECT_EQ(shownDialog->defaultSuffix(), QStringLiteral("che"));
    EXPECT_EQ(shownDialog->directory().absolutePath(), QDir(Path("Programme/Valeurs")).absolutePath());

    EXPECT_EQ(commands.Document().MeasurementText(), QStringLiteral("10,120\t0,000750\r7,123\t0,001500\r\r\r\r"));
    EXPECT_EQ(edit6.text(), QStringLiteral("2"));
    EXPECT_EQ(edit7.text(), QStringLiteral("Acide fort"));
    EXPECT_EQ(statusBar.currentMessage(), QStringLiteral("Acide fort"));
    EXPECT_EQ(commands.CommentDialog().Edit1()->text(), QStringLiteral("Acide fort"));
    EXPECT_EQ(commands.CommentDialog().Edit4()->text(), QStringLiteral("0,050"));
    EXPECT_FALSE(record.TimeMode());
    EXPECT_EQ(chart.count(), 1);

    chosenPath = Path("absent.che");
    EXPECT_THROW(commands.Ouvrir1Click(), FileError);
    chosenPath.clear();  // cancelled
    commands.Ouvrir1Click();
    EXPECT_EQ(record.PointCount(), 2);
}

TEST_F(DataCommandsTest, Open_OnTheWorkerFillsTheSameTableAndACancelChangesNothing)
{
    Open("a.che", File("Ici", Titration(3000)));
    const QList<R::Row> rows = record.Rows();
    const QString held = commands.Document().MeasurementText();

    commands.SetReadOnWorkerAbove(0);
    Open("b.che", File("Sur le fil", Titration(3000)));
    EXPECT_TRUE(commands.Reading());
    EXPECT_TRUE(QTest::qWaitFor([this] { return !commands.Reading(); }, 20000));
    EXPECT_EQ(record.Rows(), rows);
    EXPECT_EQ(commands.Document().MeasurementText(), held);
    EXPECT_EQ(edit6.text(), QStringLiteral("3000"));
    EXPECT_EQ(edit7.text(), QStringLiteral("Sur le fil"));

    Open("c.che", File("Annulé", Titration(10)));
    auto* progress = window.findChild<QProgressDialog*>(QStringLiteral("LectureFichier"));
    ASSERT_NE(progress, nullptr);
    QPushButton* annuler = progress->findChild<QPushButton*>();
    ASSERT_NE(annuler, nullptr);
    EXPECT_EQ(annuler->text(), QStringLiteral("Annuler"));
    annuler->click();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !commands.Reading(); }, 20000));
    EXPECT_EQ(record.PointCount(), 3000);
    EXPECT_EQ(edit7.text(), QStringLiteral("Sur le fil"));
}

TEST_F(DataCommandsTest, Open_OddFilesChangeWhatTheyShould)
{
    Open("a.che", File("c", Titration(10)));
    QSignalSpy chart(&record, &R::ChartRebuilt);
    // Fewer than 15 lines: the values empty, the table as it was.
    Open("court.che", "Quorin\rcourt\rMesure\r");
    EXPECT_EQ(record.PointCount(), 10);
    EXPECT_EQ(commands.CommentDialog().Edit3()->text(), QString());
    // A body starting with CR: no points, the chart keeps what it showed.
    Open("vide.che", File("vide", "\r7\t0\r"));
    EXPECT_EQ(edit6.text(), QStringLiteral("0"));
    EXPECT_EQ(commands.Document().MeasurementText(), QStringLiteral("\r\r\r"));
    EXPECT_EQ(chart.count(), 0);
    // CR LF line ends: one point, and the status bar says why.
    Open("crlf.che", File("c", "3,512\t0,000000\r\n3,530\t0,000750\r\n"));
    EXPECT_EQ(edit6.text(), QStringLiteral("1"));
    EXPECT_EQ(statusBar.currentMessage(), QStringLiteral("Erreur de lecture de nombre réel."));

    commands.OpenNamedFile(QString());
    commands.OpenNamedFile(Path("absent.che"));
    EXPECT_EQ(record.PointCount(), 1);
    commands.OpenNamedFile(Write("ligne.che", File("ligne", Titration(4))));
    EXPECT_EQ(record.PointCount(), 4);
}

TEST_F(DataCommandsTest, Comment_IsSavedOnlyOnceTheDialogHasClosedWhicheverWay)
{
    Open("a.che", File("Du fichier", Titration(4)));
    commands.Enregistrer1Click();
    QList<QByteArray> lines = ReadAll(Path("Programme/Valeurs/Mesures1.che")).split('\r');
    EXPECT_EQ(lines[1], QByteArray());
    EXPECT_EQ(lines[8], QByteArray("0,1"));
    EXPECT_EQ(lines[5], QByteArray("six"));

    modalAction = [](QDialog& dialog) {
        auto& comment = dynamic_cast<TFDgCommentaire&>(dialog);
        comment.show();
        comment.Edit1()->end(false);
        comment.Edit1()->insert(QStringLiteral(" modifié"));
        comment.Edit4()->setText(QStringLiteral("vingt mL"));
        comment.close();  // the close box, not OK
    };
    commands.Ajouteruncommentaire1Click();
    EXPECT_EQ(edit7.text(), QStringLiteral("Du fichier modifié"));
    commands.Enregistrer1Click();
    lines = ReadAll(Path("Programme/Valeurs/Mesures2.che")).split('\r');
    EXPECT_EQ(lines[1], QByteArray("Du fichier modifi\xe9"));
    EXPECT_EQ(lines[10], QByteArray("vingt mL"));
}

TEST_F(DataCommandsTest, Saves_NeedPointsAskBeforeReplacingAndKeepTheOldFileOnFailure)
{
    commands.Enregistrer1Click();
    commands.Enregistrersous1Click();
    commands.FinishRun();
    EXPECT_EQ(shownDialog, nullptr);
    EXPECT_FALSE(QFile::exists(Path("Programme/Valeurs/Mesures1.che")));

    Open("a.che", File("c", Titration(4)));
    chosenPath = Path("copie.che");
    commands.Enregistrersous1Click();
    ASSERT_EQ(shownDialog, &commands.SaveDialog1());
    EXPECT_EQ(shownDialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(shownDialog->testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(shownDialog->defaultSuffix(), QStringLiteral("che"));
    const QByteArray saved = ReadAll(chosenPath);
    EXPECT_TRUE(saved.endsWith(Titration(4)));
    chosenPath = Path("copie.che/impossible.che");
    EXPECT_THROW(commands.Enregistrersous1Click(), FileError);
    EXPECT_EQ(ReadAll(Path("copie.che")), saved);
}

TEST_F(DataCommandsTest, FinishRun_HoldsTheRunAndSavesItNumberedInTheDataFolder)
{
    record.ResetRecord();
    for (int i = 0; i < 3; ++i) {
        record.AppendSample(3.5 + i);
        record.SetCell(R::ColVolume, i + 1, NumberText::Fixed(i * 0.0005, 6, 6));
    }
    commands.FinishRun();
    EXPECT_TRUE(ReadAll(Path("Programme/Valeurs/Mesures1.che"))
                    .endsWith("\r\r\r\r\r3,500\t0,000000\r4,500\t0,000500\r5,500\t0,001000\r\r\r\r\r\n"));
    // A program folder where no data folder can be made: the documents' one.
    StartupValues::SetProgramDir(Write("pas-un-dossier", "x"));
    commands.FinishRun();
    EXPECT_TRUE(QFile::exists(Path("Documents/Quorin/Valeurs/Mesures2.che")));
}

TEST_F(DataCommandsTest, Reduction_WorkedExampleAgainThenRestore)
{
    Open("titrage.che", File("c", Titration(300)));
    Reduce("100");
    EXPECT_EQ(record.PointCount(), 76);
    EXPECT_EQ(edit6.text(), QStringLiteral("76"));
    EXPECT_EQ(record.Cell(R::ColVolume, 76), QStringLiteral("0,030000"));
    commands.Copier1Click();
    EXPECT_EQ(QGuiApplication::clipboard()->text().count(QLatin1Char('\r')), 77);
    const auto reduced = record.Rows();
    Reduce("100");
    EXPECT_EQ(record.Rows(), reduced);

    commands.Enregistrer1Click();  // still every point
    EXPECT_TRUE(ReadAll(Path("Programme/Valeurs/Mesures1.che")).endsWith(Titration(300)));
    commands.Rtablirtouslespoints1Click();
    EXPECT_EQ(record.PointCount(), 300);
    EXPECT_EQ(edit6.text(), QStringLiteral("300"));
    EXPECT_EQ(record.Cell(R::ColPH, 300), QStringLiteral("9,300"));
    commands.Copiersparateurdcimal2Click();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().endsWith(QStringLiteral("0.030000\t9.300\r")));
}

TEST_F(DataCommandsTest, Reduction_CountsThatDoNotReduceLeaveAllPoints)
{
    Open("titrage.che", File("c", Titration(300)));
    const std::pair<const char*, const char*> cases[] = {{"19", "avant"}, {"abc", "avant"}, {"300", "Erreur"}};
    for (const auto& [typed, status] : cases) {
        Reduce("100");
        statusBar.showMessage(QStringLiteral("avant"));
        Reduce(typed);
        SCOPED_TRACE(typed);
        EXPECT_EQ(record.PointCount(), 300);
        EXPECT_EQ(edit6.text(), QStringLiteral("300"));
        EXPECT_EQ(statusBar.currentMessage(), QString::fromLatin1(status));
    }
}

TEST_F(DataCommandsTest, ReductionAndRestore_WithNothingToWorkOnSayErreur)
{
    QSignalSpy chart(&record, &R::ChartRebuilt);
    Reduce("100");
    EXPECT_EQ(modalsShown, 0);
    EXPECT_EQ(statusBar.currentMessage(), QStringLiteral("Erreur"));
    ASSERT_EQ(chart.count(), 2);
    EXPECT_TRUE(chart.at(1).at(0).value<QList<QPointF>>().isEmpty());
    // Points without a held copy (a run not finished) are not wiped by a restore.
    record.AppendSample(7.0);
    commands.Rtablirtouslespoints1Click();
    EXPECT_EQ(record.Cell(R::ColPH, 1), QStringLiteral("7,000"));
}

TEST_F(DataCommandsTest, DuringARun_OpenReduceAndRestoreAreRefused)
{
    Open("titrage.che", File("c", Titration(300)));
    bool running = true;
    commands.SetRunInProgress([&running] { return running; });
    shownDialog = nullptr;
    const std::function<void()> refused[] = {
        [this] { commands.Ouvrir1Click(); },
        [this] { commands.OpenNamedFile(chosenPath); },
        [this] { Reduce("100"); },
        [this] { commands.Rtablirtouslespoints1Click(); },
    };
    for (const auto& command : refused) {
        statusBar.clearMessage();
        command();
        EXPECT_EQ(statusBar.currentMessage(), QStringLiteral("Impossible pendant une mesure"));
    }
    EXPECT_EQ(shownDialog, nullptr);
    EXPECT_EQ(modalsShown, 0);
    running = false;
    Reduce("100");
    EXPECT_EQ(record.PointCount(), 76);
}

}  // namespace
