#pragma once

#include "BoardSetup.h"
#include "MainMenu.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class CalibrationController;
class Clock;
class ElectrodeCalibration;
class MeasurementRecord;
class MeasurementRun;
class TTorviC;
class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QTimer;
class RecordChart;
class RecordTableModel;

// FAcquisition, the main window: the left panel of buttons and fields, the point table, the
// chart and the comment strip, the menu and the status bar. Its widgets keep their names.
class TFAcquisition : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int kTimerIntervalMs = 500;

    // On the program's clock, with the board that the command line and environment ask for.
    explicit TFAcquisition(QWidget* parent = nullptr);
    // On the given clock and board (tests: a fake clock and the emulated board).
    TFAcquisition(Clock& clock, BoardSetup board, QWidget* parent = nullptr);
    ~TFAcquisition() override;

    MeasurementRecord& Record() { return *record_; }
    TTorviC& Board() { return *P; }
    const BoardSetup& BoardInUse() const { return board_; }
    ElectrodeCalibration& Electrode() { return *electrode_; }
    MeasurementRun& Run() { return *run_; }
    CalibrationController& Calibration() { return *calibration_; }

    // Asked when the window is closed during a run; true quits. A Oui/Non box by default.
    void SetQuitDuringRunQuestion(std::function<bool()> ask) { askQuitDuringRun_ = std::move(ask); }
    const MainMenu& Menu() const { return menu_; }

    // The single text area of the status bar.
    void SetStatusText(const QString& text);
    QString StatusText() const;

    // Opens a chemistry file named on the command line; a no-op until a file opener is set.
    void OpenNamedFile(const QString& path);
    void SetFileOpener(std::function<void(const QString&)> opener) { fileOpener_ = std::move(opener); }

    // "&Quitter": ends the program without writing the window values.
    void Quitter1Click();

    // Widgets, named as the handlers know them.
    QPushButton* Button1 = nullptr;  // "Etal&onner"
    QPushButton* Button2 = nullptr;  // "&Mesurer"
    QLineEdit* Edit1 = nullptr;      // voltage
    QLineEdit* Edit2 = nullptr;      // pH
    QLineEdit* Edit3 = nullptr;      // next volume to validate, in mL
    QLineEdit* Edit4 = nullptr;      // U2
    QLineEdit* Edit6 = nullptr;      // point count
    QLineEdit* Edit7 = nullptr;      // comment
    QFrame* Edit8 = nullptr;         // coloured frame around Button2
    QFrame* Edit9 = nullptr;         // coloured frame around Button1
    QLabel* Label6 = nullptr;        // "U2, en V"
    QLabel* Label8 = nullptr;        // count caption
    QGroupBox* RadioGroup1 = nullptr;
    QButtonGroup* RadioGroup1Items = nullptr;  // 0 "Sonde sur voie 1", 1 "Voie 1 - voie 2"
    QTableView* StringGrid1 = nullptr;
    RecordChart* Chart1 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QLabel* LabelInstruction = nullptr;  // the calibration's instruction to the operator
    TTorviC* P = nullptr;                // the board driver component

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* BuildLeftPanel();
    QWidget* BuildRightPanel();
    void FormShow();
    bool FormClose();
    // Sees every character typed in this window before the focused control does.
    bool FormKeyPress(QObject* receiver, QKeyEvent* event);

    Clock& clock_;
    BoardSetup board_;
    std::unique_ptr<ElectrodeCalibration> electrode_;
    MeasurementRun* run_ = nullptr;
    CalibrationController* calibration_ = nullptr;
    std::function<bool()> askQuitDuringRun_;
    bool filtering_ = false;
    MeasurementRecord* record_;
    RecordTableModel* tableModel_;
    MainMenu menu_;
    std::function<void(const QString&)> fileOpener_;
    bool shown_ = false;
    bool quitting_ = false;
};
