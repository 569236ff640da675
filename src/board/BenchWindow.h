#pragma once

#include <QWidget>

class QButtonGroup;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QTimer;
class SimulatedBench;

// "Banc de simulation": says plainly that no board is in use and lets the operator work the
// simulated bench: where the electrode is dipped, the burette's tap and flow, the volume
// poured so far, a fresh beaker. A top-level window shown beside the main window; it does not
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
    void AcidChanged(int index);

    SimulatedBench& bench_;
    QButtonGroup* places_;
    QPushButton* tapButton_;
    QDoubleSpinBox* flowSpin_;
    QLabel* volumeLabel_;
    QComboBox* acidBox_;
    QPushButton* newBeakerButton_;
    QTimer* refresh_;
};
