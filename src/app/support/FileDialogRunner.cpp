#include "support/FileDialogRunner.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>

QStringList RunFilesDialog(QFileDialog& dialog)
{
    const int answer = dialog.exec();
    // The dialogs are kept from one use to the next, so a name completion still shown when Enter
    // accepted the name would stay on the screen and take the next keys (Space, Enter) meant for
    // the measure button.
    for (QCompleter* completer : dialog.findChildren<QCompleter*>())
        completer->popup()->hide();
    if (answer != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString RunFileDialog(QFileDialog& dialog)
{
    return RunFilesDialog(dialog).value(0);
}
