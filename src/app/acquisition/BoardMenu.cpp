#include "acquisition/BoardMenu.h"

#include "board/BoardSetup.h"
#include "support/AppLog.h"
#include "support/ErrorBox.h"

#include <QAction>
#include <QApplication>
#include <QSettings>

namespace {

const QString kBoardKey = QStringLiteral("Carte");
const QString kUsbValue = QStringLiteral("usb");

// The menu's handlers may take a few seconds: the interface is looked for on each USB port.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

BoardMenu::BoardMenu(QAction* kestrolaItem, QAction* usbItem, bool usbInUse, Hooks hooks, QObject* parent)
    : QObject(parent), kestrolaItem_(kestrolaItem), usbItem_(usbItem), usbInUse_(usbInUse), hooks_(std::move(hooks))
{
    ShowInUse();
    connect(kestrolaItem_, &QAction::triggered, this, Guarded(this, &BoardMenu::CarteKestrola1Click));
    connect(usbItem_, &QAction::triggered, this, Guarded(this, &BoardMenu::InterfaceUSB1Click));
}

void BoardMenu::ShowInUse()
{
    (usbInUse_ ? usbItem_ : kestrolaItem_)->setChecked(true);
}

void BoardMenu::InterfaceUSB1Click()
{
    if (usbInUse_)
        return;
    if (hooks_.busy()) {
        ShowInUse();
        hooks_.status(QStringLiteral("Arrêtez la mesure ou l'étalonnage avant de changer de carte."));
        return;
    }
    BoardSetup setup = hooks_.usb();
    QString refusal;
    {
        const WaitCursor wait;
        refusal = hooks_.change(std::move(setup));
    }
    if (!refusal.isEmpty()) {
        ShowInUse();
        hooks_.status(refusal + QStringLiteral(" La carte choisie avant reste en service."));
        return;
    }
    usbInUse_ = true;
    QSettings settings;
    Remember(settings, true);
    ShowInUse();
    hooks_.status(QStringLiteral("Mesures par l'interface USB ; ce choix est gardé pour les prochains démarrages."));
}

void BoardMenu::CarteKestrola1Click()
{
    if (!usbInUse_)
        return;
    if (hooks_.busy()) {
        ShowInUse();
        hooks_.status(QStringLiteral("Arrêtez la mesure ou l'étalonnage avant de changer de carte."));
        return;
    }
    const QString refusal = hooks_.change(hooks_.kestrola());
    if (!refusal.isEmpty()) {
        ShowInUse();
        hooks_.status(refusal);
        return;
    }
    usbInUse_ = false;
    QSettings settings;
    Remember(settings, false);
    ShowInUse();
}

QString BoardMenu::EnvironmentOrRemembered()
{
    const QString environment = qEnvironmentVariable(kBoardEnvironmentVariable);
    if (!environment.isEmpty())
        return environment;
    const QSettings settings;
    return settings.value(kBoardKey).toString() == kUsbValue ? kUsbValue : QString();
}

void BoardMenu::Remember(QSettings& settings, bool usb)
{
    if (usb)
        settings.setValue(kBoardKey, kUsbValue);
    else
        settings.remove(kBoardKey);
}
