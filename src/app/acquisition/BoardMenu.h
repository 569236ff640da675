#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QSettings;
struct BoardSetup;

// "Paramétrer > &Carte Kestrola" and "Interface &USB": the board the program measures with,
// changed outside a run or a calibration and remembered for the next start. The Kestrola item
// stands for the board or the bench, as the start-up options give it.
class BoardMenu : public QObject {
    Q_OBJECT

public:
    struct Hooks {
        // A run or a calibration is under way: no change then.
        std::function<bool()> busy;
        // Hands the measurement thread the board of the setup; the French refusal, or empty.
        std::function<QString(BoardSetup)> change;
        std::function<BoardSetup()> kestrola;
        std::function<BoardSetup()> usb;
        std::function<void(const QString&)> status;
    };

    // `usbInUse`: the program started on the USB interface.
    BoardMenu(QAction* kestrolaItem, QAction* usbItem, bool usbInUse, Hooks hooks, QObject* parent);

    void CarteKestrola1Click();
    void InterfaceUSB1Click();

    // What stands for QUORIN_CARTE when it is not set: "usb" when the interface was chosen last.
    static QString EnvironmentOrRemembered();
    static void Remember(QSettings& settings, bool usb);

private:
    // Checks the item of the board in use again, after a refused change.
    void ShowInUse();

    QAction* kestrolaItem_;
    QAction* usbItem_;
    bool usbInUse_;
    Hooks hooks_;
};
