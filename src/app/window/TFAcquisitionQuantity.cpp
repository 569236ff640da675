#include "window/TFAcquisition.h"

#include "acquisition/CalibrationController.h"
#include "acquisition/CalibrationMemory.h"
#include "acquisition/ElectrodeCalibration.h"
#include "acquisition/ManualEntryPanel.h"
#include "acquisition/MeasurementRun.h"
#include "acquisition/QuantityChoice.h"
#include "acquisition/RunRecovery.h"
#include "analysis/AnalysisCommands.h"
#include "board/SimulatedBench.h"
#include "data/MeasurementRecord.h"
#include "files/DataCommands.h"
#include "support/ErrorBox.h"
#include "window/RecordChart.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QSettings>

// What the points measure, and the measurements typed from a bench meter.

void TFAcquisition::CreateQuantityAndTyping()
{
    quantityChoice_ = new QuantityChoice(menu_.GrandeurPH1, menu_.GrandeurConductivite1, menu_.UniteMilliSiemens1,
                                         menu_.UniteMicroSiemens1, this);
    connect(quantityChoice_, &QuantityChoice::Chosen, this, Guarded(this, &TFAcquisition::ApplyQuantity));
    // A file brings back what its points measure, before they fill the table.
    connect(dataCommands_, &DataCommands::QuantityRead, this, Guarded(this, &TFAcquisition::ApplyQuantity));
    recovery_->SetQuantity([this] { return dataCommands_->Document().Values().quantity; });

    ManualEntryPanel::Hooks hooks;
    hooks.quantity = [this] { return record_->Quantity(); };
    hooks.refusal = [this] {
        if (run_->Measuring())
            return DataCommands::RunInProgressMessage();
        if (electrode_->Calibrating())
            return QStringLiteral("Impossible pendant un étalonnage");
        return QString();
    };
    hooks.finish = [this] { dataCommands_->FinishRun(); };
    manualEntry_ = new ManualEntryPanel(*record_, std::move(hooks), this);
    ManualEntryPanel* m = manualEntry_;
    connect(menu_.Saisiemanuelle1, &QAction::triggered, m, Guarded(m, &ManualEntryPanel::Open));
    connect(m, &ManualEntryPanel::StatusChanged, this, Guarded(this, &TFAcquisition::SetStatusText));
    connect(m, &ManualEntryPanel::PointCountChanged, this,
            Guarded([this](int count) { Edit6->setText(QString::number(count)); }));
    // While typing, no run starts and the quantity stays.
    connect(m, &ManualEntryPanel::TypingChanged, this, Guarded([this](bool typing) {
                Button2->setEnabled(!typing && !electrode_->Calibrating());
                quantityChoice_->SetEnabled(!typing);
            }));
    connect(run_, &MeasurementRun::RunningChanged, this,
            Guarded([this](bool running) { quantityChoice_->SetEnabled(!running); }));
    // Every typed point is kept as it comes, as a run's samples are.
    connect(m, &ManualEntryPanel::SeriesStarted, recovery_, Guarded(recovery_, &RunRecovery::BeginRun));
    connect(m, &ManualEntryPanel::PointTyped, recovery_, Guarded(recovery_, &RunRecovery::Typed));
    connect(m, &ManualEntryPanel::PointsRemoved, recovery_, Guarded(recovery_, &RunRecovery::TypedCount));
    connect(m, &ManualEntryPanel::SeriesEnded, recovery_, Guarded(recovery_, &RunRecovery::EndRun));

    // A calibration is made for one probe: the quantity stays until it ends.
    connect(calibration_, &CalibrationController::CalibratingChanged, this, Guarded([this](bool calibrating) {
                quantityChoice_->SetEnabled(!calibrating && !manualEntry_->Typing());
            }));
    memory_->RestoreCell();

    QSettings settings;
    ApplyQuantity(QuantityChoice::Remembered(settings));
}

void TFAcquisition::ApplyQuantity(MeasuredQuantity quantity)
{
    const bool conductivity = MeasuredQuantities::IsConductivity(quantity);
    dataCommands_->Document().Values().quantity = quantity;
    electrode_->SetQuantity(quantity);
    record_->SetQuantity(quantity);
    Chart1->SetQuantity(quantity);
    quantityChoice_->Show(quantity);
    analysis_->SetQuantity(quantity);
    LabelGrandeur->setText(conductivity ? QStringLiteral("&σ (%1)").arg(MeasuredQuantities::Unit(quantity))
                                        : QStringLiteral("p&H"));
    // The bench's probe follows, as a student changes the probe plugged on channel 1.
    if (board_.bench)
        board_.bench->SetProbe(conductivity ? SimulatedBench::Probe::ConductivityCell
                                            : SimulatedBench::Probe::PHElectrode);
}
