#include "acquisition/CalibrationController.h"

#include "acquisition/ElectrodeCalibration.h"
#include "board/MeasurementThread.h"
#include "data/RunTiming.h"
#include "support/AppLog.h"
#include "support/ErrorBox.h"

#include <QTimer>

CalibrationController::CalibrationController(ElectrodeCalibration& electrode, MeasurementThread& board,
                                             QTimer& timer2, QObject* parent)
    : QObject(parent)
    , electrode_(electrode)
    , board_(board)
    , timer2_(timer2)
{
    // Re-armed after each reading so that the window answers keys between two readings.
    timer2_.setSingleShot(true);
    connect(&timer2_, &QTimer::timeout, this, Guarded(this, &CalibrationController::Timer2Timer));
    connect(&board_, &MeasurementThread::Measured, this, Guarded(this, &CalibrationController::ReadingMeasured));
}

void CalibrationController::Button1Click(const QString& bufferText)
{
    emit StatusChanged(QString());
    // A buffer text that does not read throws here, before anything shown changes: the error
    // box shows it and the operator corrects the value and presses again.
    const bool wasCalibrating = electrode_.Calibrating();
    const ElectrodeCalibration::PressResult result = electrode_.Press(bufferText);
    const bool calibrating = electrode_.Calibrating();
    // A conductimeter's line is logged where it is kept.
    if (wasCalibrating && !calibrating && !MeasuredQuantities::IsConductivity(electrode_.Quantity()))
        LogCalibration(result.statusMessage);
    emit Pressed(result, calibrating);
    if (!result.statusMessage.isEmpty())
        emit StatusChanged(result.statusMessage);
    ApplyEnabling();
    if (calibrating && !timer2_.isActive())
        timer2_.start(RunTiming::kTimerIntervalMs);
    if (!calibrating)
        emit Completed(result);
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
        timer2_.stop();
        // A reading still under way belongs to a calibration that has ended: it is dropped.
        pendingTag_ = 0;
    }
    emit CalibratingChanged(calibrating);
}

void CalibrationController::Timer2Timer()
{
    if (!electrode_.Calibrating() || ReadingUnderWay())
        return;
    pendingTag_ = board_.Request(RunTiming::kConversions, RunTiming::kConversionRateHz);
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
        emit ReadingFailed(reading);
        return;
    }
    ErrorBox::Guard([&] {
        electrode_.ElectrodeVoltage(reading.voltage1, reading.voltage2);
        emit LiveReading(electrode_.LastVoltage(), electrode_.LastVoltage2(), electrode_.DifferentialMode());
        timer2_.start(RunTiming::kTimerIntervalMs);
    });
}

void CalibrationController::Edit2Change(const QString& bufferText)
{
    if (electrode_.Calibrating())
        emit CaptionChanged(electrode_.Caption(bufferText));
}

void CalibrationController::RadioGroup1Click(bool differential)
{
    electrode_.SetDifferentialMode(differential);
    emit DifferentialModeChanged(differential);
}
