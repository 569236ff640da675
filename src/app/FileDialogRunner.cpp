#include "FileDialogRunner.h"

#include <QFileDialog>

QStringList RunFilesDialog(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString RunFileDialog(QFileDialog& dialog)
{
    return RunFilesDialog(dialog).value(0);
}
