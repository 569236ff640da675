#pragma once

#include <QObject>
#include <QPointer>

class HelpWindow;
class QWidget;

// The program's help: the current help file (StartupValues::HelpFilePath, Vexbase7.Hlp at
// start), F1 on the main window, and "&Index", which switches to Vexbase.hlp when it exists.
class HelpController : public QObject {
    Q_OBJECT

public:
    // Help context of the main window: the topic F1 opens there.
    static constexpr int kMainWindowHelpContext = 4;

    // `owner` (the main window, not null) owns this object and the help window, which closes with it.
    explicit HelpController(QWidget* owner);

    // F1 anywhere in `window` (any focused child included) opens topic kMainWindowHelpContext.
    void InstallF1(QWidget* window);

    // ProgramDir + "/Aides/Vexbase.hlp".
    static QString IndexHelpFilePath();

    // The help window, created on first use.
    HelpWindow* Window();

public slots:
    // Topic `topic` of the current help file.
    void ShowTopic(int topic);
    // What F1 does on the main window.
    void ShowMainWindowHelp();
    // "&Index": Vexbase.hlp becomes the current help file if it exists, then the contents of
    // the current help file are shown.
    void Index1Click();

private:
    QWidget* owner;
    QPointer<HelpWindow> window;
};
