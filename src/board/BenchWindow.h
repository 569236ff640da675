#pragma once

#include <QWidget>

class QButtonGroup;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTimer;
class SimulatedBench;

// "Banc de simulation": says plainly that no board is in use and lets the operator work the
// simulated bench: the probe (pH electrode or conductimetry cell) and where it is dipped, the
// burette's tap and flow, the volume poured so far, the water added to the beaker, a fresh
// beaker. Only the places of the probe in use are shown. A top-level window shown beside the main window; it does not
// take the focus when shown, so the keys of a run keep going to the main window.
class BenchWindow : public QWidget {
    Q_OBJECT

public:
    // The bench must outlive the window. `notice` (French) is shown in red when not empty,
    // for instance why the real board could not be used.
    explicit BenchWindow(SimulatedBench& bench, const QString& notice = QString(), QWidget* parent = nullptr);

    // Redraw rate of the poured volume while the tap is open.
    static constexpr int kRefreshMs = 100;

private:
    void ShowBench();
    void ShowVolume();
    void TapButtonClick();
    void FlowChanged(double secondsPerMl);
    void PlaceClicked(int id);
    void CellPlaceClicked(int id);
    void ProbeClicked(int id);
    void AcidChanged(int index);
    void WaterChanged(double volumeMl);

    SimulatedBench& bench_;
    QButtonGroup* probes_;
    QStackedWidget* placePages_;
    QButtonGroup* places_;
    QButtonGroup* cellPlaces_;
    QPushButton* tapButton_;
    QDoubleSpinBox* flowSpin_;
    QLabel* volumeLabel_;
    QComboBox* acidBox_;
    QDoubleSpinBox* waterSpin_;
    QLabel* beakerVolumeLabel_;
    QPushButton* newBeakerButton_;
    QTimer* refresh_;
};
