#include "help/HelpController.h"

#include "help/HelpWindow.h"
#include "support/ErrorBox.h"
#include "support/StartupValues.h"

#include <QDir>
#include <QFileInfo>
#include <QShortcut>
#include <QWidget>

HelpController::HelpController(QWidget* owner)
    : QObject(owner)
    , owner(owner)
{
}

void HelpController::InstallF1(QWidget* window)
{
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F1), window);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, Guarded(this, &HelpController::ShowMainWindowHelp));
}

QString HelpController::IndexHelpFilePath()
{
    return StartupValues::ProgramDir() + QDir::separator() + QStringLiteral("Aides") + QDir::separator()
           + QStringLiteral("Vexbase") + QStringLiteral(".hlp");
}

HelpWindow* HelpController::Window()
{
    if (window.isNull())
        window = new HelpWindow(owner);
    return window;
}

void HelpController::ShowTopic(int topic)
{
    Window()->ShowTopic(StartupValues::HelpFilePath(), topic);
}

void HelpController::ShowMainWindowHelp()
{
    ShowTopic(kMainWindowHelpContext);
}

void HelpController::Index1Click()
{
    const QString indexFile = IndexHelpFilePath();
    if (QFileInfo::exists(indexFile))
        StartupValues::SetHelpFilePath(indexFile);
    Window()->ShowContents(StartupValues::HelpFilePath());
}
