#pragma once

#include "acquisition/ElectrodeCalibration.h"
#include "board/BoardReading.h"

#include <QObject>

#include <cstdint>
#include <functional>

class MeasurementThread;
class QLabel;
class TFAcquisition;

// The "Etalonnage" group at work: the three presses of Button1, the live voltage display of
// Timer2, the buffer field Edit2, the electrode choice and the focus frames. The arithmetic is
// ElectrodeCalibration's; this class reads and writes the widgets. The live readings are taken
// on the measurement thread, so a press captures the reading shown when it is made.
class CalibrationController : public QObject {
    Q_OBJECT

public:
    CalibrationController(TFAcquisition& window, ElectrodeCalibration& electrode, MeasurementThread& board,
                          QLabel* instruction);

    void Button1Click();
    // Asks for one live reading; does nothing while one is under way.
    void Timer2Timer();
    bool ReadingUnderWay() const { return pendingTag_ != 0; }
    void Edit2Change();
    void RadioGroup1Click();
    void Button1Enter();
    void Button1Exit();
    void RadioGroup1Enter();
    void RadioGroup1Exit();

    // True while the run is in progress (the frame turns red then); set by the window.
    void SetMeasuring(std::function<bool()> measuring) { measuring_ = std::move(measuring); }
    // Called with what the third press reported, once it has computed the coefficients.
    void SetCompleted(std::function<void(const ElectrodeCalibration::PressResult&)> completed)
    {
        completed_ = std::move(completed);
    }

private:
    void ApplyEnabling();
    // The journal's line for a calibration that has just been computed.
    void LogCalibration(const QString& statusMessage);
    void ReadingMeasured(const BoardReading& reading);

    TFAcquisition& window_;
    ElectrodeCalibration& electrode_;
    MeasurementThread& board_;
    std::uint64_t pendingTag_ = 0;
    QLabel* instruction_;
    std::function<bool()> measuring_;
    std::function<void(const ElectrodeCalibration::PressResult&)> completed_;
};
