#pragma once

#include "data/MeasuredQuantity.h"

#include <QObject>
#include <QString>

class QAction;
class QSettings;

// "Paramétrer > &Grandeur mesurée": the pH or the conductivity, and the conductivity's unit.
// The user's choice is kept in the settings for the next start; a file opened shows its own
// quantity on the items without changing what is kept.
class QuantityChoice : public QObject {
    Q_OBJECT

public:
    static inline const QString kSettingsKey = QStringLiteral("GrandeurMesuree");

    QuantityChoice(QAction* pH, QAction* conductivity, QAction* milliSiemens, QAction* microSiemens,
                   QObject* parent = nullptr);

    // The quantity kept in `settings` (the pH when none or an unknown text is kept).
    static MeasuredQuantity Remembered(const QSettings& settings);
    static void Remember(QSettings& settings, MeasuredQuantity quantity);

    MeasuredQuantity Current() const;
    // Checks the items for `quantity`, without saying it and without keeping it.
    void Show(MeasuredQuantity quantity);
    // Outside a run and a typed series only.
    void SetEnabled(bool enabled);

signals:
    // The user chose another quantity or unit; already kept.
    void Chosen(MeasuredQuantity quantity);

private:
    void OnTriggered();
    void EnableUnits();

    QAction* pH_;
    QAction* conductivity_;
    QAction* milli_;
    QAction* micro_;
    bool enabled_ = true;
};
