#pragma once

#include "board/BoardReading.h"
#include "board/BoardSetup.h"
#include "data/MeasuredQuantity.h"
#include "net/MsgWire.h"
#include "window/MainMenu.h"

#include <QHostAddress>
#include <QMainWindow>

#include <functional>
#include <memory>

class AnalysisCommands;
class BenchWindow;
class CalibrationController;
class CalibrationMemory;
class DataCommands;
class HelpController;
class Launchers;
class ManualEntryPanel;
class QuantityChoice;
class TAboutBox;
class TFDgReseau;
class TMainMsgServer;
class TMsgSender;
class TPagesDlg;
class Clock;
class ElectrodeCalibration;
class MeasurementRecord;
class MeasurementRun;
class MeasurementThread;
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
class RunRecovery;
class NetworkReception;

// FAcquisition, the main window: the left panel of buttons and fields, the point table, the
// chart and the comment strip, the menu and the status bar. Its widgets keep their names.
//
// It owns the program's parts and connects them: each part (the run, the calibration, the
// data, analysis, report and station commands) is handed the few things it works on and says
// what happened through its signals; only the window writes its widgets.
class TFAcquisition : public QMainWindow {
    Q_OBJECT

public:
    // On the program's clock, with the board that the command line and environment ask for.
    explicit TFAcquisition(QWidget* parent = nullptr);
    // Where MsgServer1 listens: the program's port on every address; tests use a free
    // loopback port.
    struct MessageEndpoint {
        std::uint16_t port = MsgWire::kPort;
        QHostAddress address = QHostAddress(QHostAddress::AnyIPv4);
    };
    // On the given clock, board and endpoint (tests: a fake clock and the emulated board).
    TFAcquisition(Clock& clock, BoardSetup board, const MessageEndpoint& endpoint, QWidget* parent = nullptr);
    ~TFAcquisition() override;

    MeasurementRecord& Record() { return *record_; }
    // The thread the board is read on; the driver component `P` lives there.
    MeasurementThread& Measurement() { return *measurement_; }
    // The bench and the start-up message; the bus itself belongs to the measurement thread.
    const BoardSetup& BoardInUse() const { return board_; }
    // Outside a run and a calibration: measures with the board of `board` from now on (the
    // bench's window comes and goes with the bench). The French refusal, the board in use
    // then staying, or an empty text.
    QString ChangeBoard(BoardSetup board);
    ElectrodeCalibration& Electrode() { return *electrode_; }
    MeasurementRun& Run() { return *run_; }
    // The run's recovery file, and those that earlier runs left.
    RunRecovery& Recovery() { return *recovery_; }
    CalibrationController& Calibration() { return *calibration_; }
    DataCommands& Data() { return *dataCommands_; }
    HelpController& Help() { return *help_; }
    Launchers& Launcher() { return *launchers_; }
    BenchWindow* Bench() const { return benchWindow_.get(); }
    // "Paramétrer > Grandeur mesurée" and "Edition > Saisie manuelle...".
    QuantityChoice& Quantity() { return *quantityChoice_; }
    ManualEntryPanel& ManualEntry() { return *manualEntry_; }
    // What the record measures from now on: the document, the table, the chart, the analysis,
    // the value's caption and the bench's probe follow it.
    void ApplyQuantity(MeasuredQuantity quantity);

    // The windows the menu opens, created with the main window and living as long.
    TAboutBox* AboutBox = nullptr;
    TPagesDlg* PagesDlg = nullptr;
    TMainMsgServer& MsgServer1() { return *msgServer1_; }
    TMsgSender& MsgSender1() { return *msgSender1_; }
    TFDgReseau& FDgReseau() { return *fdgReseau_; }
    // Whether MsgServer1 listens, and its retries when it cannot.
    NetworkReception& Reception() { return *reception_; }

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

    // Offers each run that a crash or a power cut interrupted (once the window shows, at start).
    void OfferLeftRuns();

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
    QLabel* LabelGrandeur = nullptr;  // "p&H" over Edit2, or the conductivity's unit
    QGroupBox* RadioGroup1 = nullptr;
    QButtonGroup* RadioGroup1Items = nullptr;  // 0 "Sonde sur voie 1", 1 "Voie 1 - voie 2"
    QTableView* StringGrid1 = nullptr;
    RecordChart* Chart1 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QLabel* LabelInstruction = nullptr;  // the calibration's instruction to the operator
    QLabel* LabelLecture = nullptr;      // the chart's readout, at the right of the status bar

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* BuildLeftPanel();
    QWidget* BuildGrid();
    QWidget* BuildRightPanel();
    void FormShow();
    bool FormClose();
    // The parts that need the record, the board and the widgets, and their connections
    // (TFAcquisitionConnections.cpp).
    void CreateCompanions();
    void ConnectRun();
    void ConnectCalibration();
    void CreateCommands();
    void ConnectMenu();
    // The quantity's menu and the typed series (TFAcquisitionQuantity.cpp).
    void CreateQuantityAndTyping();
    // A reading the board could not take: the driver's status in the status bar, an exception
    // in the error box.
    void ShowBoardFailure(const BoardReading& reading);
    // The focus frames: Edit8 around the measure button, Edit9 around the calibrate button, and
    // the electrode choice's own background.
    void Button2Enter();
    void Button2Exit();
    void PaintButton2Frame();
    void Button1Enter();
    void Button1Exit();
    void RadioGroup1Enter();
    void RadioGroup1Exit();
    // The program is ending: no more samples, and the measurement thread ends (after the
    // sample under way at most) before the board goes.
    void EndMeasurements();
    // Keys and focus of the window's controls; true when the event is consumed.
    bool FilterEvent(QObject* watched, QEvent* event);
    // Sees every character typed in this window before the focused control does.
    bool FormKeyPress(QObject* receiver, QKeyEvent* event);
    // Asks during a run, writes the window values, and accepts or ignores the close.
    void FormCloseQuery(QCloseEvent* event);

    Clock& clock_;
    BoardSetup board_;
    std::unique_ptr<ElectrodeCalibration> electrode_;
    MeasurementThread* measurement_ = nullptr;
    MeasurementRun* run_ = nullptr;
    RunRecovery* recovery_ = nullptr;
    NetworkReception* reception_ = nullptr;
    CalibrationController* calibration_ = nullptr;
    CalibrationMemory* memory_ = nullptr;
    AnalysisCommands* analysis_ = nullptr;
    QuantityChoice* quantityChoice_ = nullptr;
    ManualEntryPanel* manualEntry_ = nullptr;
    std::function<bool()> askQuitDuringRun_;

    DataCommands* dataCommands_ = nullptr;
    HelpController* help_ = nullptr;
    Launchers* launchers_ = nullptr;
    // Declared after board_ so that it goes first: the bench window reads the bench.
    std::unique_ptr<BenchWindow> benchWindow_;
    // The network dialog holds the sender and the server: it goes first.
    std::unique_ptr<TMainMsgServer> msgServer1_;
    std::unique_ptr<TMsgSender> msgSender1_;
    std::unique_ptr<TFDgReseau> fdgReseau_;
    bool filtering_ = false;
    // The key whose press the measure button received, until its release there (0: none).
    int button2Press_ = 0;
    bool button2Focused_ = false;
    MeasurementRecord* record_;
    RecordTableModel* tableModel_;
    MainMenu menu_;
    std::function<void(const QString&)> fileOpener_;
    bool shown_ = false;
    bool quitting_ = false;
};
