#include "help/TAboutBox.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QStringList LabelTexts(const QWidget& widget)
{
    QStringList texts;
    for (const QLabel* label : widget.findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

TEST(AboutBoxTest, Box_HasNoTitleBarButtonsAndShowsTheProgram)
{
    QWidget mainWindow;
    TAboutBox box(&mainWindow);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Quorin : A propos"));
    EXPECT_EQ(box.size(), QSize(298, 213));
    const Qt::WindowFlags flags = box.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    for (const Qt::WindowType button : {Qt::WindowCloseButtonHint, Qt::WindowSystemMenuHint,
                                        Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint,
                                        Qt::WindowContextHelpButtonHint})
        EXPECT_FALSE(flags.testFlag(button)) << button;

    const QStringList texts = LabelTexts(box);
    EXPECT_TRUE(texts.contains(
        QStringLiteral("Acquisition d'une courbe d'évolution de pH, à l'aide d'une carte Kestrola.")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Version 7.0.0")));
    EXPECT_TRUE(box.OKButton()->isDefault());
    // The icon is drawn from the SVG built into the program.
    const QPixmap icon = box.ProgramIconLabel()->pixmap();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_NE(icon.toImage().pixelColor(16, 16).alpha(), 0);
}

TEST(AboutBoxTest, AproposShowsItWithoutBlockingAndOkOrEnterHidesIt)
{
    QWidget mainWindow;
    mainWindow.show();
    TAboutBox box(&mainWindow);

    box.Apropos1Click();
    EXPECT_TRUE(box.isVisible());
    EXPECT_FALSE(box.isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    QTest::mouseClick(box.OKButton(), Qt::LeftButton);
    EXPECT_FALSE(box.isVisible());

    box.Apropos1Click();
    EXPECT_TRUE(box.isVisible());
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_FALSE(box.isVisible());
}

}  // namespace
