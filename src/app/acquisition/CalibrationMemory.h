#pragma once

#include "acquisition/ElectrodeCalibration.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>

class CalibrationController;
class TFAcquisition;

// The calibration kept from one start to the next (StoredCalibration): each completed
// calibration is written to the program's settings, and at start the one kept for the board
// in use is taken back, its electrode mode selected again.
class CalibrationMemory : public QObject {
    Q_OBJECT

public:
    CalibrationMemory(TFAcquisition& window, ElectrodeCalibration& electrode, CalibrationController& calibration);

    // The clock of the dates; the system's by default.
    void SetNow(std::function<QDateTime()> now) { now_ = std::move(now); }

    // At start: applies what is kept for the board in use and returns what the status bar says
    // of it. Nothing kept, or nothing readable, leaves the standard coefficients.
    QString Restore();
    // After the third press: keeps what StoredCalibration::Completed says to keep. A failure to
    // write is said in the status bar.
    void Completed(const ElectrodeCalibration::PressResult& press);

private:
    TFAcquisition& window_;
    ElectrodeCalibration& electrode_;
    CalibrationController& calibration_;
    std::function<QDateTime()> now_;
};
