#pragma once

#include "acquisition/ElectrodeCalibration.h"
#include "acquisition/StoredCalibration.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>

// The calibration kept from one start to the next (StoredCalibration): each completed
// calibration is written to the program's settings, and at start the one kept for the board
// in use is taken back, with its electrode mode.
class CalibrationMemory : public QObject {
    Q_OBJECT

public:
    // `board` names the board in use when it is asked.
    CalibrationMemory(ElectrodeCalibration& electrode, std::function<StoredCalibration::Board()> board,
                      QObject* parent = nullptr);

    // The clock of the dates; the system's by default.
    void SetNow(std::function<QDateTime()> now) { now_ = std::move(now); }

    // At start: applies what is kept for the board in use and returns what the status bar says
    // of it. Nothing kept, or nothing readable, leaves the standard coefficients.
    QString Restore();
    // After the third press: keeps what StoredCalibration::Completed says to keep. Returns why
    // it could not be kept (for the status bar), or nothing.
    QString Completed(const ElectrodeCalibration::PressResult& press);

    // The conductimeter's line, kept apart from the electrode's ("EtalonnageConductimetre"):
    // taken back at start when readable, kept after its third press (why not, or nothing).
    void RestoreCell();
    QString CompletedCell();

signals:
    // Restore took back a calibration made in this electrode mode (channel 1 - channel 2 when
    // `differential`); the electrode choice shows it again.
    void ElectrodeModeRestored(bool differential);

private:
    ElectrodeCalibration& electrode_;
    std::function<StoredCalibration::Board()> board_;
    std::function<QDateTime()> now_;
};
