#include "help/Launchers.h"
#include "support/StartupValues.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QSettings>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace {

class LaunchersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedProgramDir = StartupValues::ProgramDir();
        StartupValues::SetProgramDir(QDir::toNativeSeparators(QStringLiteral("/opt/Chimie")));
        launchers.SetUrlOpener([this](const QUrl& url) { events << QStringLiteral("url ") + url.toString(); });
        launchers.SetProcessStarter([this](const QString& program) { events << QStringLiteral("start ") + program; });
    }
    void TearDown() override { StartupValues::SetProgramDir(savedProgramDir); }

    QString savedProgramDir;
    Launchers launchers;
    QStringList events;
};

TEST_F(LaunchersTest, MenuItems_HandTheirTargetToTheSystem)
{
    const struct {
        void (Launchers::*slot)();
        QString expected;
    } cases[] = {
        {&Launchers::N5Click, QStringLiteral("url https://www.torvi.example/")},
        {&Launchers::Ecrirelauteur1Click, QStringLiteral("url mailto:auteur@torvi.example")},
        {&Launchers::Ouvrirlenavigateur1Click,
         QStringLiteral("start ") + QDir::toNativeSeparators(QStringLiteral("/opt/Chimie/NavTorvi"))},
    };
    for (const auto& c : cases) {
        events.clear();
        (launchers.*c.slot)();
        EXPECT_EQ(events, QStringList{c.expected});
    }
}

// Stands for the main window: closing it writes the window values, as its close handler does.
class WindowThatSavesOnClose : public QWidget {
public:
    bool closed = false;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        closed = true;
        QSettings(QStringLiteral("Torvi"), QStringLiteral("Quorin")).setValue(QStringLiteral("EtatFenetre"), 0);
        event->accept();
    }
};

TEST_F(LaunchersTest, QuitterEtLancerLeNavigateur_StartsTheBrowserThenEndsWithoutWritingWindowValues)
{
    QSettings(QStringLiteral("Torvi"), QStringLiteral("Quorin")).remove(QStringLiteral("EtatFenetre"));
    WindowThatSavesOnClose mainWindow;
    mainWindow.show();
    Launchers realEnd;  // the program's own way of ending, not a stand-in
    realEnd.SetProcessStarter([this](const QString& program) { events << QStringLiteral("start ") + program; });

    QTimer::singleShot(0, &realEnd, &Launchers::Quitteretlancernavigateur1Click);
    // Ends the loop with a distinct code should the item not end it.
    QTimer::singleShot(10000, [] { QCoreApplication::exit(99); });
    const int code = QApplication::exec();

    EXPECT_EQ(code, 0);
    EXPECT_EQ(events, QStringList{QStringLiteral("start ") + QDir::toNativeSeparators(QStringLiteral("/opt/Chimie/NavTorvi"))});
    EXPECT_FALSE(mainWindow.closed);
    EXPECT_FALSE(QSettings(QStringLiteral("Torvi"), QStringLiteral("Quorin")).contains(QStringLiteral("EtatFenetre")));
}

}  // namespace
