#include "acquisition/CalibrationController.h"

#include "acquisition/ElectrodeCalibration.h"
#include "acquisition/MeasurementRun.h"
#include "board/MeasurementThread.h"
#include "data/NumberText.h"
#include "support/AppLog.h"
#include "support/ErrorBox.h"
#include "window/FrameColours.h"
#include "window/TFAcquisition.h"

#include <QApplication>

#include <functional>
#include <QButtonGroup>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

using namespace FrameColours;

CalibrationController::CalibrationController(TFAcquisition& window, ElectrodeCalibration& electrode,
                                             MeasurementThread& board, QLabel* instruction)
    : QObject(&window)
    , window_(window)
    , electrode_(electrode)
    , board_(board)
    , instruction_(instruction)
{
    // Re-armed after each reading so that the window answers keys between two readings.
    window_.Timer2->setSingleShot(true);
    connect(window_.Timer2, &QTimer::timeout, this, Guarded(this, &CalibrationController::Timer2Timer));
    connect(&board_, &MeasurementThread::Measured, this, Guarded(this, &CalibrationController::ReadingMeasured));
    connect(window_.Button1, &QPushButton::clicked, this, Guarded(this, &CalibrationController::Button1Click));
    connect(window_.Edit2, &QLineEdit::textChanged, this, Guarded(this, &CalibrationController::Edit2Change));
    connect(window_.RadioGroup1Items, &QButtonGroup::idClicked, this, Guarded(this, &CalibrationController::RadioGroup1Click));
    // Enter on the focused calibrate button presses it, as Space does.
    window_.Button1->setAutoDefault(true);
    window_.RadioGroup1->setAutoFillBackground(true);
    instruction_->hide();
}

void CalibrationController::Button1Click()
{
    window_.SetStatusText(QString());
    // A buffer text that does not read throws here, before any widget changes: the error box
    // shows it and the operator corrects the value and presses again.
    const bool wasCalibrating = electrode_.Calibrating();
    const ElectrodeCalibration::PressResult result = electrode_.Press(window_.Edit2->text());
    const bool calibrating = electrode_.Calibrating();
    if (wasCalibrating && !calibrating)
        LogCalibration(result.statusMessage);
    Paint(window_.Edit9, measuring_ && measuring_() ? kRed : kLime);
    window_.Edit2->setEnabled(calibrating);
    if (!result.bufferText.isEmpty())
        window_.Edit2->setText(result.bufferText);
    window_.Button1->setText(result.caption);
    instruction_->setText(result.instruction);
    instruction_->setVisible(!result.instruction.isEmpty());
    if (!result.statusMessage.isEmpty())
        window_.SetStatusText(result.statusMessage);
    ApplyEnabling();
    if (calibrating && !window_.Timer2->isActive())
        window_.Timer2->start(TFAcquisition::kTimerIntervalMs);
    if (!calibrating && completed_)
        completed_(result);
}

void CalibrationController::LogCalibration(const QString& statusMessage)
{
    const ElectrodeCalibration& e = electrode_;
    qCInfo(lcApp).noquote() << QStringLiteral("Etalonnage sur les tampons pH %1 et pH %2 : pH = %3 x U + %4%5%6")
                                   .arg(e.BufferPH1())
                                   .arg(e.BufferPH2())
                                   .arg(e.Slope(), 0, 'f', 4)
                                   .arg(e.Intercept(), 0, 'f', 4)
                                   .arg(e.DifferentialMode() ? QStringLiteral(" (voie 1 - voie 2)") : QString())
                                   .arg(statusMessage.isEmpty() ? QString() : QStringLiteral(" ; ") + statusMessage);
}

void CalibrationController::ApplyEnabling()
{
    const bool calibrating = electrode_.Calibrating();
    if (!calibrating) {
        window_.Timer2->stop();
        // A reading still under way belongs to a calibration that has ended: it is dropped.
        pendingTag_ = 0;
    }
    window_.Button2->setEnabled(!calibrating);
    window_.RadioGroup1->setEnabled(!calibrating);
}

void CalibrationController::Timer2Timer()
{
    if (!electrode_.Calibrating() || ReadingUnderWay())
        return;
    pendingTag_ = board_.Request(MeasurementRun::kSamples, MeasurementRun::kSampleRate);
}

void CalibrationController::ReadingMeasured(const BoardReading& reading)
{
    if (!ReadingUnderWay() || reading.tag != pendingTag_)
        return;
    pendingTag_ = 0;
    if (!electrode_.Calibrating())
        return;
    if (reading.failure != BoardReading::Failure::None) {
        // The live display stops; the next press of the calibrate button tries again.
        MeasurementRun::ReportBoardFailure(window_, reading);
        return;
    }
    ErrorBox::Guard([&] {
        electrode_.ElectrodeVoltage(reading.voltage1, reading.voltage2);
        window_.Edit1->setText(NumberText::Fixed(electrode_.LastVoltage(), 4, 3));
        if (electrode_.DifferentialMode())
            window_.Edit4->setText(NumberText::Fixed(electrode_.LastVoltage2(), 4, 3));
        window_.Timer2->start(TFAcquisition::kTimerIntervalMs);
        return true;
    });
}

void CalibrationController::Edit2Change()
{
    if (window_.Edit2->isEnabled() && electrode_.Calibrating())
        window_.Button1->setText(ElectrodeCalibration::CaptionFor(window_.Edit2->text()));
}

void CalibrationController::RadioGroup1Click()
{
    const bool differential = window_.RadioGroup1Items->checkedId() != 0;
    electrode_.SetDifferentialMode(differential);
    window_.Label6->setVisible(differential);
    window_.Edit4->setVisible(differential);
}

void CalibrationController::Button1Enter()
{
    Paint(window_.Edit9, electrode_.Calibrating() ? kRed : kLime);
}

void CalibrationController::Button1Exit()
{
    Paint(window_.Edit9, electrode_.Calibrating() ? kGreyishRed : Menu());
}

void CalibrationController::RadioGroup1Enter()
{
    Paint(window_.RadioGroup1, kLime);
}

void CalibrationController::RadioGroup1Exit()
{
    Paint(window_.RadioGroup1, QApplication::palette().color(QPalette::Button));
}
