#pragma once

#include "acquisition/ElectrodeCalibration.h"
#include "board/BoardReading.h"

#include <QObject>

#include <cstdint>

class MeasurementThread;
class QTimer;

// The "Etalonnage" group at work: the three presses of Button1, the live voltage display of
// Timer2 (handed over by the window), the buffer typed in Edit2 and the electrode choice. The
// arithmetic is ElectrodeCalibration's; this class sequences it and says what the window shows
// through its signals. The live readings are taken on the measurement thread, so a press
// captures the reading shown when it is made.
class CalibrationController : public QObject {
    Q_OBJECT

public:
    CalibrationController(ElectrodeCalibration& electrode, MeasurementThread& board, QTimer& timer2,
                          QObject* parent = nullptr);

    // One press of the calibrate button with what the buffer field holds.
    void Button1Click(const QString& bufferText);
    // Asks for one live reading; does nothing while one is under way.
    void Timer2Timer();
    bool ReadingUnderWay() const { return pendingTag_ != 0; }
    // The buffer field changed while it could be typed in.
    void Edit2Change(const QString& bufferText);
    // The electrode choice: the probe on channel 1, or channel 1 - channel 2.
    void RadioGroup1Click(bool differential);

signals:
    // A text for the status bar (empty: the bar is cleared as a press begins).
    void StatusChanged(const QString& text);
    // What a press leaves to show: the calibrate button's caption, the buffer field (editable
    // while `calibrating`) and the instruction.
    void Pressed(const ElectrodeCalibration::PressResult& result, bool calibrating);
    // The calibrate button's caption follows the buffer being typed.
    void CaptionChanged(const QString& caption);
    // While it calibrates the run and the electrode choice wait.
    void CalibratingChanged(bool calibrating);
    // The live reading: the electrode's voltage, and channel 2's in the differential mode.
    void LiveReading(double volts, double volts2, bool differential);
    void DifferentialModeChanged(bool differential);
    // A live reading the board could not take; the display stops until the next press.
    void ReadingFailed(const BoardReading& reading);
    // The third press has computed the coefficients.
    void Completed(const ElectrodeCalibration::PressResult& result);

private:
    void ApplyEnabling();
    // The journal's line for a calibration that has just been computed.
    void LogCalibration(const QString& statusMessage);
    void ReadingMeasured(const BoardReading& reading);

    ElectrodeCalibration& electrode_;
    MeasurementThread& board_;
    QTimer& timer2_;
    std::uint64_t pendingTag_ = 0;
};
