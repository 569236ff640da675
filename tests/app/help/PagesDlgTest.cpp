#include "help/TPagesDlg.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Opens the dialog modally, as the menu does, runs `inside` while it is open, then presses OK.
int OpenAndClose(TPagesDlg& dialog, const std::function<void()>& inside)
{
    QTimer::singleShot(0, &dialog, [&dialog, inside] {
        inside();
        QTest::mouseClick(dialog.OKBtn(), Qt::LeftButton);
    });
    // Should OK fail to close it, the test fails instead of hanging.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &dialog, &QDialog::reject);
    guard.start(10000);
    return dialog.exec();
}

TEST(PagesDlgTest, PageTexts_HaveTheirLengthsCaptionsAndSpaceRuns)
{
    const struct {
        const char* caption;
        int length;
        const char* contains;
        bool endsWithOneSpace;
    } pages[] = {
        {"&Introduction", 471, "Kestrola.     Pour l'étalonnage", true},
        {"&Paramétrage", 409, "Tabulation.    La méthode", false},
        {"&Traitement", 363, "la moyenne.   Il est", true},
        {"T&ransfert des données", 563, "Vous pouvez :       sauvegarder", false},
    };
    for (int page = 0; page < TPagesDlg::kPageCount; ++page) {
        const QString text = TPagesDlg::PageText(page);
        SCOPED_TRACE(page);
        EXPECT_EQ(TPagesDlg::PageCaption(page), QString::fromUtf8(pages[page].caption));
        EXPECT_EQ(text.size(), pages[page].length);
        EXPECT_TRUE(text.contains(QString::fromUtf8(pages[page].contains)));
        EXPECT_FALSE(text.contains(QLatin1Char('\n')));
        EXPECT_EQ(text.endsWith(QLatin1Char(' ')), pages[page].endsWithOneSpace);
        EXPECT_FALSE(text.endsWith(QStringLiteral("  ")));
    }
    EXPECT_TRUE(TPagesDlg::PageText(0).endsWith(QStringLiteral("quittez ce logiciel par :     Control + Q ")));
    EXPECT_TRUE(TPagesDlg::PageText(3).endsWith(QStringLiteral("(résultats non garantis ! )    Avant cela, il est possible "
                                                               "de diminuer le nombre de points de mesure. Le logiciel "
                                                               "regroupe plusieurs points et en fait la moyenne. Il est "
                                                               "toujours possible de revenir en arrière.")));
}

TEST(PagesDlgTest, Opening_ShowsTheTextsAgainOverWhatWasTyped)
{
    QWidget mainWindow;
    TPagesDlg dialog(&mainWindow);
    QStringList shown;
    EXPECT_EQ(OpenAndClose(dialog,
                           [&] {
                               for (int page = 0; page < TPagesDlg::kPageCount; ++page)
                                   shown << dialog.PageMemo(page)->toPlainText();
                               dialog.PageControl()->setCurrentIndex(1);
                               QTest::keyClicks(dialog.PageMemo(1), QStringLiteral("notes de TP"));
                               dialog.PageMemo(2)->clear();
                           }),
              QDialog::Accepted);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Quorin : Mode d'emploi simplifié"));
    for (int page = 0; page < TPagesDlg::kPageCount; ++page)
        EXPECT_EQ(shown.at(page), TPagesDlg::PageText(page)) << page;
    EXPECT_NE(dialog.PageMemo(1)->toPlainText(), TPagesDlg::PageText(1));

    OpenAndClose(dialog, [] {});
    for (int page = 0; page < TPagesDlg::kPageCount; ++page)
        EXPECT_EQ(dialog.PageMemo(page)->toPlainText(), TPagesDlg::PageText(page)) << page;
}

TEST(PagesDlgTest, Opening_KeepsThePageLastChosen)
{
    QWidget mainWindow;
    TPagesDlg dialog(&mainWindow);
    int firstPage = -1;
    OpenAndClose(dialog, [&] {
        firstPage = dialog.PageControl()->currentIndex();
        // Ctrl+Tab moves to the next page, as a keyboard user does.
        QTest::keyClick(dialog.PageControl(), Qt::Key_Tab, Qt::ControlModifier);
        QTest::keyClick(dialog.PageControl(), Qt::Key_Tab, Qt::ControlModifier);
    });
    EXPECT_EQ(firstPage, 0);

    int reopenedPage = -1;
    OpenAndClose(dialog, [&] { reopenedPage = dialog.PageControl()->currentIndex(); });
    EXPECT_EQ(reopenedPage, 2);
}

}  // namespace
