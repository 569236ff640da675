#include "support/FileDialogRunner.h"

#include "QtPrinters.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The open and save dialogs are kept from one use to the next. A name completion still shown
// when Enter accepts the dialog must go with it: left on the screen it takes the next keys
// (Space, Enter) meant for the measure button.
TEST(FileDialogRunner, ANameCompletionShownWhenTheDialogIsAcceptedGoesWithIt)
{
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    ASSERT_NE(edit->completer(), nullptr);
    QAbstractItemView* popup = edit->completer()->popup();
    bool shownBeforeAccept = false;
    QTimer::singleShot(0, &dialog, [&] {
        edit->setText(QStringLiteral("essai.che"));
        popup->show();
        shownBeforeAccept = popup->isVisible();
        static_cast<QDialog&>(dialog).done(QDialog::Accepted);
    });

    EXPECT_TRUE(RunFileDialog(dialog).endsWith(QStringLiteral("/essai.che")));
    EXPECT_TRUE(shownBeforeAccept);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

}  // namespace
