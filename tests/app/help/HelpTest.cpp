#include "help/HelpController.h"
#include "help/HelpWindow.h"
#include "support/StartupValues.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// A help file whose topic 4 and first topic carry the file's name in their titles.
QByteArray HelpText(const QString& name)
{
    return QStringLiteral("QUORIN-AIDE 1\n"
                          "titre: %1\n"
                          "@sujet 2 Sommaire %1\n"
                          "<p><a href=\"sujet:9\">vers neuf</a></p>\n"
                          "@sujet 4 Fenêtre %1\n"
                          "@index fenêtre\n"
                          "@sujet 9 Étalonnage %1\n"
                          "@index étalonnage; électrode\n"
                          "<p>Rincez l'électrode.</p>\n")
        .arg(name)
        .toUtf8();
}

// ProgramDir is a temporary folder with an Aides folder; a stand-in main window with a field
// that has the focus, as during a calibration.
class HelpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedProgramDir = StartupValues::ProgramDir();
        savedHelpFile = StartupValues::HelpFilePath();
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Aides")));
        StartupValues::Initialise(dir.filePath(QStringLiteral("Quorin")));
        mainWindow.setWindowTitle(QStringLiteral("Torvi : Quorin"));
        auto* layout = new QVBoxLayout(&mainWindow);
        field = new QLineEdit(&mainWindow);
        layout->addWidget(field);
        controller = new HelpController(&mainWindow);
        controller->InstallF1(&mainWindow);
    }

    void TearDown() override
    {
        StartupValues::SetProgramDir(savedProgramDir);
        StartupValues::SetHelpFilePath(savedHelpFile);
    }

    QString AidesFile(const QString& name) const
    {
        return QDir(dir.filePath(QStringLiteral("Aides"))).filePath(name);
    }

    void WriteHelp(const QString& name)
    {
        QFile file(AidesFile(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(HelpText(name));
    }

    void PressF1InMainWindow()
    {
        mainWindow.show();
        mainWindow.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow));
        field->setFocus();
        QTest::keyClick(field, Qt::Key_F1);
    }

    QTemporaryDir dir;
    QString savedProgramDir;
    QString savedHelpFile;
    QWidget mainWindow;
    QLineEdit* field = nullptr;
    HelpController* controller = nullptr;
};

TEST_F(HelpTest, F1_OpensTopicFourOfVexbase7UntilIndexIsUsedThenOfVexbase)
{
    WriteHelp(QStringLiteral("Vexbase7.Hlp"));
    WriteHelp(QStringLiteral("Vexbase.hlp"));

    PressF1InMainWindow();
    HelpWindow* window = controller->Window();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->CurrentFile(), AidesFile(QStringLiteral("Vexbase7.Hlp")));
    EXPECT_EQ(window->CurrentTopic(), 4);
    EXPECT_TRUE(window->findChild<QTextBrowser*>()->toPlainText().contains(QStringLiteral("Fenêtre Vexbase7.Hlp")));

    PressF1InMainWindow();
    EXPECT_EQ(window->CurrentFile(), AidesFile(QStringLiteral("Vexbase7.Hlp")));

    controller->Index1Click();
    EXPECT_EQ(StartupValues::HelpFilePath(), AidesFile(QStringLiteral("Vexbase.hlp")));
    EXPECT_EQ(window->CurrentFile(), AidesFile(QStringLiteral("Vexbase.hlp")));
    EXPECT_EQ(window->CurrentTopic(), 2);  // contents open on the file's first topic
    EXPECT_EQ(window->findChild<QTabWidget*>(QStringLiteral("HelpTabs"))->currentIndex(), 0);

    PressF1InMainWindow();
    EXPECT_EQ(window->CurrentFile(), AidesFile(QStringLiteral("Vexbase.hlp")));
    EXPECT_EQ(window->CurrentTopic(), 4);
    EXPECT_EQ(controller->Window(), window);
}

TEST_F(HelpTest, Index_WithOnlyVexbase7_ShowsTheContentsOfVexbase7)
{
    WriteHelp(QStringLiteral("Vexbase7.Hlp"));

    controller->Index1Click();
    HelpWindow* window = controller->Window();
    EXPECT_EQ(StartupValues::HelpFilePath(), AidesFile(QStringLiteral("Vexbase7.Hlp")));
    EXPECT_EQ(window->CurrentFile(), AidesFile(QStringLiteral("Vexbase7.Hlp")));
    EXPECT_TRUE(window->Message().isEmpty());
    const auto* contents = window->findChild<QListWidget*>(QStringLiteral("HelpContents"));
    ASSERT_EQ(contents->count(), 3);
    EXPECT_EQ(contents->item(0)->text(), QStringLiteral("Sommaire Vexbase7.Hlp"));

    // The index file appearing later is taken at the next "&Index".
    WriteHelp(QStringLiteral("Vexbase.hlp"));
    controller->Index1Click();
    EXPECT_EQ(window->CurrentFile(), AidesFile(QStringLiteral("Vexbase.hlp")));
}

TEST_F(HelpTest, MissingHelpFile_IsReportedByTheHelpWindowItself)
{
    PressF1InMainWindow();
    HelpWindow* window = controller->Window();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->CurrentTopic(), 0);
    EXPECT_EQ(window->Message(),
              QStringLiteral("Le fichier d'aide « %1 » est introuvable.").arg(AidesFile(QStringLiteral("Vexbase7.Hlp"))));
    EXPECT_TRUE(window->findChild<QTextBrowser*>()->toPlainText().contains(QStringLiteral("introuvable")));

    // Neither file: "&Index" keeps Vexbase7.Hlp and reports it missing.
    controller->Index1Click();
    EXPECT_EQ(StartupValues::HelpFilePath(), AidesFile(QStringLiteral("Vexbase7.Hlp")));
    EXPECT_TRUE(window->Message().contains(QStringLiteral("introuvable")));

    // Once the file is there, the same window shows the topic.
    WriteHelp(QStringLiteral("Vexbase7.Hlp"));
    PressF1InMainWindow();
    EXPECT_EQ(window->CurrentTopic(), 4);
    EXPECT_TRUE(window->Message().isEmpty());
}

TEST_F(HelpTest, HelpWindow_ReportsATopicTheFileLacksAndKeepsItsContents)
{
    WriteHelp(QStringLiteral("Vexbase7.Hlp"));
    controller->ShowTopic(77);
    HelpWindow* window = controller->Window();
    EXPECT_EQ(window->CurrentTopic(), 0);
    EXPECT_TRUE(window->Message().contains(QStringLiteral("n'a pas de sujet numéro 77")));
    EXPECT_EQ(window->findChild<QListWidget*>(QStringLiteral("HelpContents"))->count(), 3);
}

TEST_F(HelpTest, HelpWindow_FollowsTopicLinksContentsAndIndex)
{
    WriteHelp(QStringLiteral("Vexbase7.Hlp"));
    controller->ShowTopic(2);
    HelpWindow* window = controller->Window();
    auto* browser = window->findChild<QTextBrowser*>();

    emit browser->anchorClicked(QUrl(QStringLiteral("sujet:9")));
    EXPECT_EQ(window->CurrentTopic(), 9);
    // Anything but a topic link is ignored: nothing is opened from a help file.
    emit browser->anchorClicked(QUrl(QStringLiteral("file:///etc/passwd")));
    EXPECT_EQ(window->CurrentTopic(), 9);

    window->findChild<QListWidget*>(QStringLiteral("HelpContents"))->setCurrentRow(1);
    EXPECT_EQ(window->CurrentTopic(), 4);

    // Typing without accents finds "électrode"; Enter shows its topic.
    auto* indexEdit = window->findChild<QLineEdit*>(QStringLiteral("HelpIndexEdit"));
    auto* index = window->findChild<QListWidget*>(QStringLiteral("HelpIndex"));
    QTest::keyClicks(indexEdit, QStringLiteral("ELEC"));
    ASSERT_NE(index->currentItem(), nullptr);
    EXPECT_EQ(index->currentItem()->text(), QStringLiteral("électrode"));
    EXPECT_EQ(window->CurrentTopic(), 4);
    QTest::keyClick(indexEdit, Qt::Key_Return);
    EXPECT_EQ(window->CurrentTopic(), 9);
}

TEST_F(HelpTest, F1_InAnotherWindowOfTheProgramDoesNotOpenTheMainWindowTopic)
{
    WriteHelp(QStringLiteral("Vexbase7.Hlp"));
    QWidget other;
    auto* otherField = new QLineEdit(&other);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    otherField->setFocus();
    QTest::keyClick(otherField, Qt::Key_F1);
    EXPECT_FALSE(controller->Window()->isVisible());
}

}  // namespace
