#pragma once

#include <QObject>

#include <functional>

class ElectrodeCalibration;
class QLabel;
class TFAcquisition;
class TTorviC;

// The "Etalonnage" group at work: the three presses of Button1, the live voltage display of
// Timer2, the buffer field Edit2, the electrode choice and the focus frames. The arithmetic is
// ElectrodeCalibration's; this class reads and writes the widgets.
class CalibrationController : public QObject {
    Q_OBJECT

public:
    CalibrationController(TFAcquisition& window, ElectrodeCalibration& electrode, TTorviC& board,
                          QLabel* instruction);

    void Button1Click();
    void Timer2Timer();
    void Edit2Change();
    void RadioGroup1Click();
    void Button1Enter();
    void Button1Exit();
    void RadioGroup1Enter();
    void RadioGroup1Exit();

    // True while the run is in progress (the frame turns red then); set by the window.
    void SetMeasuring(std::function<bool()> measuring) { measuring_ = std::move(measuring); }

private:
    void ApplyEnabling();

    TFAcquisition& window_;
    ElectrodeCalibration& electrode_;
    TTorviC& board_;
    QLabel* instruction_;
    std::function<bool()> measuring_;
};
