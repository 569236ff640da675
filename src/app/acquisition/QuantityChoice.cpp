#include "acquisition/QuantityChoice.h"

#include "support/ErrorBox.h"

#include <QAction>
#include <QSettings>

QuantityChoice::QuantityChoice(QAction* pH, QAction* conductivity, QAction* milliSiemens, QAction* microSiemens,
                               QObject* parent)
    : QObject(parent)
    , pH_(pH)
    , conductivity_(conductivity)
    , milli_(milliSiemens)
    , micro_(microSiemens)
{
    for (QAction* item : {pH_, conductivity_, milli_, micro_})
        connect(item, &QAction::triggered, this, Guarded(this, &QuantityChoice::OnTriggered));
    EnableUnits();
}

MeasuredQuantity QuantityChoice::Remembered(const QSettings& settings)
{
    const QString kept = settings.value(kSettingsKey).toString();
    return MeasuredQuantities::FromHeaderLine(kept);
}

void QuantityChoice::Remember(QSettings& settings, MeasuredQuantity quantity)
{
    // The file header's words: "Conductivité (µS/cm)", or empty for the pH.
    settings.setValue(kSettingsKey, MeasuredQuantities::HeaderLine(quantity));
}

MeasuredQuantity QuantityChoice::Current() const
{
    if (!conductivity_->isChecked())
        return MeasuredQuantity::PH;
    return micro_->isChecked() ? MeasuredQuantity::ConductivityMicroSiemens : MeasuredQuantity::ConductivityMilliSiemens;
}

void QuantityChoice::Show(MeasuredQuantity quantity)
{
    const bool conductivity = MeasuredQuantities::IsConductivity(quantity);
    pH_->setChecked(!conductivity);
    conductivity_->setChecked(conductivity);
    if (conductivity) {
        milli_->setChecked(quantity == MeasuredQuantity::ConductivityMilliSiemens);
        micro_->setChecked(quantity == MeasuredQuantity::ConductivityMicroSiemens);
    }
    EnableUnits();
}

void QuantityChoice::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    pH_->setEnabled(enabled);
    conductivity_->setEnabled(enabled);
    EnableUnits();
}

void QuantityChoice::EnableUnits()
{
    // A unit is chosen for a conductivity; for the pH it would mean nothing.
    const bool units = enabled_ && conductivity_->isChecked();
    milli_->setEnabled(units);
    micro_->setEnabled(units);
}

void QuantityChoice::OnTriggered()
{
    EnableUnits();
    const MeasuredQuantity quantity = Current();
    QSettings settings;
    Remember(settings, quantity);
    emit Chosen(quantity);
}
