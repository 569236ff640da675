#include "TFDgCommentaire.h"
#include "TFDialogRedPoints.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The widget that takes the focus after `from` in the dialog's tab chain.
QWidget* NextInTabOrder(QWidget* from)
{
    QWidget* next = from->nextInFocusChain();
    while (next && !(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    return next;
}

QLabel* LabelFor(const QDialog& dialog, const QWidget* buddy)
{
    for (QLabel* label : dialog.findChildren<QLabel*>())
        if (label->buddy() == buddy)
            return label;
    return nullptr;
}

TEST(TFDgCommentaireTest, Layout_CaptionsAccessKeysAndTabOrder)
{
    TFDgCommentaire dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Quorin : Ajouter un commentaire au fichier sauvegardé"));
    EXPECT_EQ(dialog.size(), QSize(455, 176));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint
                                         | Qt::WindowContextHelpButtonHint));
    // One button only: no cancel.
    ASSERT_EQ(dialog.findChildren<QPushButton*>().size(), 1);
    EXPECT_EQ(dialog.OKBtn()->text(), QStringLiteral("&Ajouter"));
    EXPECT_TRUE(dialog.OKBtn()->isDefault());

    const std::pair<QLineEdit*, const char*> captions[] = {
        {dialog.Edit1(), "&Commentaire :"},
        {dialog.Edit2(), "C&oncentration dans le bécher, en mol/L"},
        {dialog.Edit3(), "C&oncentration dans la burette, en mol/L"},
        {dialog.Edit4(), "&Volume dans le bécher, en L"},
    };
    for (const auto& [edit, caption] : captions) {
        const QLabel* label = LabelFor(dialog, edit);
        ASSERT_NE(label, nullptr) << caption;
        EXPECT_EQ(label->text(), QString::fromUtf8(caption));
    }
    EXPECT_EQ(dialog.Edit1()->geometry().topLeft(), QPoint(8, 32));
    EXPECT_EQ(dialog.Edit1()->width(), 441);
    EXPECT_EQ(dialog.OKBtn()->geometry(), QRect(255, 132, 75, 25));

    EXPECT_EQ(NextInTabOrder(dialog.Edit1()), dialog.Edit2());
    EXPECT_EQ(NextInTabOrder(dialog.Edit2()), dialog.Edit3());
    EXPECT_EQ(NextInTabOrder(dialog.Edit3()), dialog.Edit4());
    EXPECT_EQ(NextInTabOrder(dialog.Edit4()), dialog.OKBtn());
}

TEST(TFDgCommentaireTest, Fields_StartWithTheDefaultsAndGiveWhatWasTyped)
{
    TFDgCommentaire dialog;
    EXPECT_EQ(dialog.Edit1()->text(), QString());
    EXPECT_EQ(dialog.Edit2()->text(), QStringLiteral("0,01"));
    EXPECT_EQ(dialog.Edit3()->text(), QStringLiteral("0,01"));
    EXPECT_EQ(dialog.Edit4()->text(), QStringLiteral("0,020"));
    dialog.show();
    QTest::keyClicks(dialog.Edit1(), QStringLiteral("Titrage 1"));
    dialog.Edit3()->clear();
    QTest::keyClicks(dialog.Edit3(), QStringLiteral("0.1 mol"));
    QTest::keyClick(dialog.Edit3(), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const HeaderValues values = dialog.FieldValues();
    EXPECT_EQ(values.currentComment, QStringLiteral("Titrage 1"));
    EXPECT_EQ(values.buretteConcentration, QStringLiteral("0.1 mol"));
    EXPECT_EQ(values.beakerVolume, QStringLiteral("0,020"));
}

TEST(TFDialogRedPointsTest, Layout_MemoLinesButtonsAndTabOrder)
{
    TFDialogRedPoints dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Réduction du nombre de points de mesure"));
    EXPECT_EQ(dialog.size(), QSize(341, 229));
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    const QStringList lines = dialog.Memo1()->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines[0], QStringLiteral("Indiquez combien de points de mesure vous"));
    EXPECT_EQ(lines[2], QString());
    EXPECT_EQ(lines[5], QStringLiteral("numériques."));
    EXPECT_EQ(lines[7], QStringLiteral("Les points mesurés ne seront pas perdus ; vous"));
    EXPECT_EQ(lines[8], QStringLiteral("pourrez toujours revenir en arrière"));
    EXPECT_EQ(LabelFor(dialog, dialog.Edit1())->text(), QStringLiteral("&Nombre de points"));
    EXPECT_EQ(dialog.Edit1()->text(), QStringLiteral("100"));
    EXPECT_EQ(dialog.OKBtn()->text(), QStringLiteral("OK"));
    EXPECT_TRUE(dialog.OKBtn()->isDefault());
    EXPECT_EQ(dialog.CancelBtn()->text(), QStringLiteral("Annuler"));
    EXPECT_EQ(dialog.OKBtn()->geometry(), QRect(151, 180, 75, 25));
    EXPECT_EQ(dialog.CancelBtn()->geometry(), QRect(239, 180, 75, 25));
    EXPECT_EQ(NextInTabOrder(dialog.Edit1()), dialog.OKBtn());
    EXPECT_EQ(NextInTabOrder(dialog.OKBtn()), dialog.CancelBtn());
    EXPECT_EQ(NextInTabOrder(dialog.CancelBtn()), dialog.Memo1());
}

TEST(TFDialogRedPointsTest, Closing_SetsRequestedPointsFromTheWayItCloses)
{
    struct Case {
        const char* typed;
        int key;  // Enter for OK, Escape for "Annuler"
        int expected;
    };
    const Case cases[] = {
        {"80", Qt::Key_Return, 80},
        {" 250 ", Qt::Key_Return, 250},
        {"80", Qt::Key_Escape, 0},
        {"8O", Qt::Key_Return, 0},    // not an integer: as "Annuler"
        {"12,5", Qt::Key_Return, 0},
        {"", Qt::Key_Return, 0},
        {"99999999999", Qt::Key_Return, 0},
    };
    TFDialogRedPoints dialog;
    for (const auto& c : cases) {
        dialog.show();
        dialog.Edit1()->clear();
        QTest::keyClicks(dialog.Edit1(), QString::fromLatin1(c.typed));
        QTest::keyClick(dialog.Edit1(), static_cast<Qt::Key>(c.key));
        SCOPED_TRACE(c.typed);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.RequestedPoints(), c.expected);
        // The field keeps what was typed for the next time.
        EXPECT_EQ(dialog.Edit1()->text(), QString::fromLatin1(c.typed));
    }
    dialog.show();
    QTest::mouseClick(dialog.CancelBtn(), Qt::LeftButton);
    EXPECT_EQ(dialog.RequestedPoints(), 0);
}

}  // namespace
