#include "data/TFDgCommentaire.h"
#include "data/TFDialogRedPoints.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The widgets a Tab press visits from `first`, in order.
std::vector<QWidget*> TabChain(QWidget* first, int count)
{
    std::vector<QWidget*> chain{first};
    for (QWidget* w = first->nextInFocusChain(); w && static_cast<int>(chain.size()) < count; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus)
            chain.push_back(w);
    return chain;
}

QString CaptionOf(const QDialog& dialog, const QWidget* buddy)
{
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        if (label->buddy() == buddy)
            return label->text();
    return {};
}

TEST(TFDgCommentaireTest, Layout_CaptionsAccessKeysTabOrderAndNoCancel)
{
    TFDgCommentaire d;
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Quorin : Ajouter un commentaire au fichier sauvegardé"));
    EXPECT_EQ(d.minimumSize(), QSize(455, 176));
    EXPECT_EQ(d.maximumSize(), QSize(455, 176));
    EXPECT_TRUE(d.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(d.windowFlags() & (Qt::WindowMinMaxButtonsHint | Qt::WindowContextHelpButtonHint));
    EXPECT_EQ(d.findChildren<QPushButton*>(), QList<QPushButton*>{d.OKBtn()});
    EXPECT_EQ(d.OKBtn()->text(), QStringLiteral("&Ajouter"));
    EXPECT_TRUE(d.OKBtn()->isDefault());
    EXPECT_EQ(CaptionOf(d, d.Edit1()), QStringLiteral("&Commentaire :"));
    EXPECT_EQ(CaptionOf(d, d.Edit2()), QStringLiteral("C&oncentration dans le bécher, en mol/L"));
    EXPECT_EQ(CaptionOf(d, d.Edit3()), QStringLiteral("C&oncentration dans la burette, en mol/L"));
    EXPECT_EQ(CaptionOf(d, d.Edit4()), QStringLiteral("&Volume dans le bécher, en L"));
    EXPECT_EQ(TabChain(d.Edit1(), 5), (std::vector<QWidget*>{d.Edit1(), d.Edit2(), d.Edit3(), d.Edit4(), d.OKBtn()}));
    const HeaderValues start = d.FieldValues();
    EXPECT_EQ(start.currentComment, QString());
    EXPECT_EQ(start.beakerConcentration, QStringLiteral("0,01"));
    EXPECT_EQ(start.buretteConcentration, QStringLiteral("0,01"));
    EXPECT_EQ(start.beakerVolume, QStringLiteral("0,020"));
}

TEST(TFDialogRedPointsTest, Layout_MemoLinesButtonsAndTabOrder)
{
    TFDialogRedPoints d;
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Réduction du nombre de points de mesure"));
    EXPECT_EQ(d.minimumSize(), QSize(341, 229));
    EXPECT_FALSE(d.windowFlags() & Qt::WindowCloseButtonHint);
    const QStringList lines = d.Memo1()->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines[1], QStringLiteral("souhaitez garder. Ce nombre est approximatif."));
    EXPECT_EQ(lines[6], QString());
    EXPECT_EQ(lines[8], QStringLiteral("pourrez toujours revenir en arrière"));
    EXPECT_EQ(CaptionOf(d, d.Edit1()), QStringLiteral("&Nombre de points"));
    EXPECT_EQ(d.Edit1()->text(), QStringLiteral("100"));
    EXPECT_TRUE(d.OKBtn()->isDefault());
    EXPECT_EQ(d.CancelBtn()->text(), QStringLiteral("Annuler"));
    EXPECT_EQ(TabChain(d.Edit1(), 4), (std::vector<QWidget*>{d.Edit1(), d.OKBtn(), d.CancelBtn(), d.Memo1()}));
}

TEST(TFDialogRedPointsTest, Closing_SetsRequestedPointsFromTheWayItCloses)
{
    struct Case {
        const char* typed;
        Qt::Key key;  // Enter for OK, Escape for "Annuler"
        int expected;
    };
    const Case cases[] = {
        {"80", Qt::Key_Return, 80}, {" 250 ", Qt::Key_Return, 250}, {"80", Qt::Key_Escape, 0},
        {"8O", Qt::Key_Return, 0},  {"12,5", Qt::Key_Return, 0},   {"99999999999", Qt::Key_Return, 0},
    };
    TFDialogRedPoints d;
    for (const auto& c : cases) {
        d.show();
        d.Edit1()->clear();
        QTest::keyClicks(d.Edit1(), QString::fromLatin1(c.typed));
        QTest::keyClick(d.Edit1(), c.key);
        SCOPED_TRACE(c.typed);
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(d.RequestedPoints(), c.expected);
        EXPECT_EQ(d.Edit1()->text(), QString::fromLatin1(c.typed));  // kept for next time
    }
}

}  // namespace
