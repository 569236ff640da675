#include "files/DataCommands.h"
#include "files/OverlayCommands.h"
#include "help/Launchers.h"
#include "help/TAboutBox.h"
#include "net/TMainMsgServer.h"
#include "RunFixture.h"
#include "support/AppLog.h"
#include "support/ErrorBox.h"
#include "support/Journal.h"
#include "text/ExceptionText.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

QStringList ReadLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Records the error boxes instead of showing them, for the length of a test.
struct BoxRecorder {
    QStringList boxes;
    BoxRecorder() { ErrorBox::SetPresenter([this](const QString& text) { boxes << text; }); }
    ~BoxRecorder() { ErrorBox::SetPresenter({}); }
};

// A handler that fails once, then works: the sender must still deliver after the failure.
struct FailingOnce {
    int calls = 0;
    void operator()()
    {
        if (++calls == 1)
            throw std::runtime_error("Échec du gestionnaire");
    }
};

// Without Guarded the exception would leave the slot and come out of Qt's event dispatch into
// the test (no notify catches it here); with it, one box, and the sender goes on.
TEST(GuardedTest, FailingHandler_ShowsOneBox_AndItsSenderStaysUsable)
{
    QMainWindow window;
    auto* button = new QPushButton(QStringLiteral("Essai"), &window);
    window.setCentralWidget(button);
    auto* action = window.addAction(QStringLiteral("Action"));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    QTimer timer;
    timer.setInterval(1);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);

    const struct Case {
        const char* sender;
        std::function<void(FailingOnce&)> connect;
        std::function<void(const FailingOnce&)> fire;
        std::function<bool()> usable;
    } cases[] = {
        {"button", [&](FailingOnce& h) { QObject::connect(button, &QPushButton::clicked, &window, Guarded(std::ref(h))); },
         [&](const FailingOnce&) { QTest::mouseClick(button, Qt::LeftButton); }, [&] { return button->isEnabled() && !button->isDown(); }},
        {"menu action", [&](FailingOnce& h) { QObject::connect(action, &QAction::triggered, &window, Guarded(std::ref(h))); },
         [&](const FailingOnce&) { QTest::keyClick(&window, Qt::Key_J, Qt::ControlModifier); }, [&] { return action->isEnabled(); }},
        {"timer", [&](FailingOnce& h) { QObject::connect(&timer, &QTimer::timeout, &window, Guarded(std::ref(h))); },
         [&](const FailingOnce& h) {
             // Until it has fired at least once: a loaded machine may hold a 1 ms timer back.
             const int before = h.calls;
             timer.start();
             EXPECT_TRUE(QTest::qWaitFor([&] { return h.calls > before; }, 5000));
             timer.stop();
         },
         [&] { return true; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sender);
        FailingOnce handler;
        BoxRecorder recorder;
        c.connect(handler);
        EXPECT_NO_THROW(c.fire(handler));
        EXPECT_EQ(recorder.boxes, QStringList{QStringLiteral("Échec du gestionnaire")});
        EXPECT_TRUE(c.usable());
        const int before = handler.calls;
        EXPECT_NO_THROW(c.fire(handler));
        EXPECT_GT(handler.calls, before);
        EXPECT_EQ(recorder.boxes.size(), 1);
        button->disconnect();
        action->disconnect();
        timer.disconnect();
    }
}

class JournalWindowTest : public RunFixture {
protected:
    QStringList Lines() const { return ReadLines(journal.FilePath()); }

    QTemporaryDir folder;
    Journal journal{folder.path()};
};

// A lesson's road through the window, and what the journal keeps of it.
TEST_F(JournalWindowTest, RunSaveOpenFailedSaveAndRefusedBoard_EachLeaveTheirLine)
{
    ASSERT_FALSE(journal.FilePath().isEmpty());
    BoxRecorder recorder;
    QString chosen;
    window->Data().SetFileDialogRunner([&](QFileDialog&) { return chosen; });

    const QDir data(window->Data().DataFolderPath());
    const QStringList before = data.entryList({QStringLiteral("*.che")}, QDir::Files);
    ToggleRun();
    for (int i = 1; i <= 6; ++i) {
        Sample();
        if (i % 2 == 0) {
            clock.Advance(100);
            Space();
        }
    }
    ToggleRun();
    const int kept = window->Record().PointCount();
    ASSERT_GT(kept, 0);
    QStringList made = data.entryList({QStringLiteral("*.che")}, QDir::Files);
    for (const QString& name : before)
        made.removeAll(name);
    ASSERT_EQ(made.size(), 1);
    const QString saved = QDir::toNativeSeparators(data.filePath(made.constFirst()));

    chosen = data.filePath(made.constFirst());
    window->Menu().Ouvrir1->trigger();
    window->findChild<OverlayCommands*>()->AddFiles({chosen});
    emit window->MsgServer1().MessageReceived(QStringLiteral("127.0.0.1"), window->Data().Document().MeasurementText(), 1);
    QTest::qWait(10);
    // A folder that does not exist: the save fails, one box says it, the item stays usable.
    chosen = folder.filePath(QStringLiteral("absent/essai.che"));
    EXPECT_NO_THROW(window->Menu().Enregistrersous1->trigger());
    ASSERT_EQ(recorder.boxes.size(), 1);
    EXPECT_TRUE(window->Menu().Enregistrersous1->isEnabled());
    chosen = folder.filePath(QStringLiteral("essai.che"));
    window->Menu().Enregistrersous1->trigger();
    EXPECT_TRUE(QFile::exists(chosen));
    EXPECT_EQ(recorder.boxes.size(), 1);

    MakeWindow(CreateBoard(QStringList(), QStringLiteral("reelle"), clock, nullptr));

    const QString points = QStringLiteral("(%1 points)").arg(kept);
    const QString expected[] = {
        QStringLiteral("info app : Mesure lancée"),
        QStringLiteral("info app : Mesure arrêtée : 6 échantillons, 3 volumes validés, %1 points retenus").arg(kept),
        QStringLiteral("info app : Fichier enregistré : %1 %2").arg(saved, points),
        QStringLiteral("info app : Fichier ouvert : %1 %2").arg(saved, points),
        QStringLiteral("info app : Courbe à superposer ouverte : %1 %2").arg(saved, points),
        QStringLiteral("info data : Mesure reçue de 127.0.0.1 : %1 points").arg(kept),
        QStringLiteral("attention app : Erreur affichée : ") + recorder.boxes.value(0),
        QStringLiteral("info app : Fichier enregistré : %1 %2").arg(QDir::toNativeSeparators(chosen), points),
        QStringLiteral("attention board : Carte refusée : La carte d'acquisition est inaccessible."),
        QStringLiteral("info board : Carte choisie : banc de simulation"),
    };
    const QStringList lines = Lines();
    qsizetype at = 0;
    for (const QString& line : expected) {
        SCOPED_TRACE(line.toStdString());
        const auto found = std::find_if(lines.begin() + at, lines.end(), [&](const QString& l) { return l.endsWith(line); });
        ASSERT_NE(found, lines.end()) << lines.join(QLatin1Char('\n')).toStdString();
        at = found - lines.begin() + 1;
    }
    // The box's text names the file that could not be written.
    EXPECT_TRUE(recorder.boxes.value(0).contains(QStringLiteral("essai.che")));
    // Nothing per sample: the run's start and stop are next to each other.
    const auto started = lines.indexOf(lines.filter(QStringLiteral("Mesure lancée")).value(0));
    EXPECT_TRUE(lines.value(started + 1).contains(QStringLiteral("Mesure arrêtée")));
}

// Writers on several threads, as connection threads and the measurement thread are: no line is
// lost or cut within what is kept, and the journal never holds more than two files of the limit.
TEST(JournalLimitTest, ConcurrentWriters_KeepTwoFilesWithinTheLimit_AndWholeLines)
{
    QTemporaryDir folder;
    constexpr int kThreads = 4;
    constexpr int kLinesEach = 8000;  // about 3 MiB in all
    {
        const Journal journal(folder.path());
        std::vector<std::thread> writers;
        for (int t = 0; t < kThreads; ++t)
            writers.emplace_back([t] {
                for (int n = 0; n < kLinesEach; ++n)
                    qCInfo(lcApp).noquote() << QStringLiteral("fil %1 ligne %2 ").arg(t).arg(n) + QString(40, QLatin1Char('x'));
            });
        for (std::thread& w : writers)
            w.join();
    }
    const QDir dir(folder.path());
    EXPECT_EQ(dir.entryList(QDir::Files, QDir::Name), (QStringList{Journal::PreviousFileName(), Journal::FileName()}));
    for (const QString& name : {Journal::FileName(), Journal::PreviousFileName()}) {
        EXPECT_LE(QFileInfo(dir.filePath(name)).size(), Journal::kMaxFileBytes) << name.toStdString();
    }
    EXPECT_GT(QFileInfo(dir.filePath(Journal::PreviousFileName())).size(), Journal::kMaxFileBytes * 9 / 10);

    const QStringList lines =
        ReadLines(dir.filePath(Journal::PreviousFileName())) + ReadLines(dir.filePath(Journal::FileName()));
    const QRegularExpression whole(QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} info app : fil (\d) ligne (\d+) x{40}$)"));
    int next[kThreads];
    std::fill(std::begin(next), std::end(next), -1);
    for (const QString& line : lines) {
        const QRegularExpressionMatch m = whole.match(line);
        ASSERT_TRUE(m.hasMatch()) << line.toStdString();
        const int t = m.captured(1).toInt();
        const int n = m.captured(2).toInt();
        // Each thread's kept lines run on without a gap, from wherever the kept part begins.
        if (next[t] >= 0) {
            ASSERT_EQ(n, next[t]);
        }
        next[t] = n + 1;
    }
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(next[t], kLinesEach) << "thread " << t;
}

// Where a teacher finds the file: "Aide > &Journal" and the About box.
TEST(JournalPlaceTest, MenuOpensTheFolder_AboutBoxNamesTheFile)
{
    QTemporaryDir folder;
    Launchers launchers;
    QList<QUrl> opened;
    bool opens = true;
    launchers.SetFolderOpener([&](const QUrl& url) {
        opened << url;
        return opens;
    });
    TAboutBox about;

    const struct Case {
        const char* name;
        bool withJournal;
        bool opens;
        QString error;  // part of the box's text; empty when the folder opens
    } cases[] = {
        {"opened", true, true, {}},
        {"not opened", true, false, QStringLiteral("Le dossier du journal n'a pas pu être ouvert")},
        {"no journal", false, true, QStringLiteral("Aucun journal n'est tenu")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        opened.clear();
        opens = c.opens;
        std::optional<Journal> journal;
        if (c.withJournal)
            journal.emplace(folder.path());
        QString error;
        try {
            launchers.Journal1Click();
        } catch (const std::exception& e) {
            error = ExceptionText(e);
        }
        EXPECT_EQ(error.isEmpty(), c.error.isEmpty()) << error.toStdString();
        EXPECT_TRUE(error.contains(c.error)) << error.toStdString();
        EXPECT_EQ(opened, c.withJournal ? QList<QUrl>{QUrl::fromLocalFile(folder.path())} : QList<QUrl>{});

        about.Apropos1Click();
        const QString path = c.withJournal ? QDir::toNativeSeparators(folder.filePath(Journal::FileName())) : QString();
        EXPECT_EQ(about.CommentsLabel()->toolTip(), path);
        EXPECT_EQ(about.CommentsLabel()->text().remove(QChar(0x200B)),
                  c.withJournal ? QStringLiteral("Journal : ") + path : QStringLiteral("Aucun journal n'est tenu."));
        about.hide();
    }
}

}  // namespace
