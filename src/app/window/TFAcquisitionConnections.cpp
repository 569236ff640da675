#include "window/TFAcquisition.h"

#include "acquisition/BoardMenu.h"
#include "acquisition/CalibrationController.h"
#include "acquisition/CalibrationMemory.h"
#include "acquisition/ElectrodeCalibration.h"
#include "acquisition/ManualEntryPanel.h"
#include "acquisition/MeasurementRun.h"
#include "acquisition/RunRecovery.h"
#include "acquisition/StoredCalibration.h"
#include "analysis/AnalysisCommands.h"
#include "analysis/ConductimetryCommands.h"
#include "analysis/ModelCommands.h"
#include "analysis/TangentCommands.h"
#include "analysis/UncertaintyCommands.h"
#include "board/BenchWindow.h"
#include "data/DataFolder.h"
#include "data/MeasurementRecord.h"
#include "data/MeasurementTextIo.h"
#include "data/SentMeasurement.h"
#include "data/NumberText.h"
#include "files/DataCommands.h"
#include "files/OverlayCommands.h"
#include "help/HelpController.h"
#include "help/Launchers.h"
#include "help/TAboutBox.h"
#include "help/TPagesDlg.h"
#include "net/TFDgReseau.h"
#include "net/TMainMsgServer.h"
#include "net/TMsgSender.h"
#include "report/ReportCommands.h"
#include "station/StationCommands.h"
#include "support/ErrorBox.h"
#include "support/StartupValues.h"
#include "window/FrameColours.h"
#include "window/RecordChart.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

// How the window's parts are made and connected: each says what happened, the window shows it.

void TFAcquisition::ConnectRun()
{
    connect(run_, &MeasurementRun::RunningChanged, this, Guarded([this](bool running) {
                PaintButton2Frame();
                // The calibration waits for the end of the run.
                Button1->setEnabled(!running);
                RadioGroup1->setEnabled(!running);
                Button2->setText(running ? QStringLiteral("A&rréter") : QStringLiteral("&Mesurer"));
                if (running) {
                    Edit6->setText(QStringLiteral("0"));
                    Label8->setText(QStringLiteral("Nombre de points mesurés"));
                }
            }));
    connect(run_, &MeasurementRun::Reading, this, Guarded([this](double volts, double pH) {
                Edit1->setText(NumberText::Fixed(volts, 4, 3));
                Edit2->setText(MeasuredQuantities::ValueText(record_->Quantity(), pH));
            }));
    connect(run_, &MeasurementRun::NextVolumeChanged, this,
            Guarded([this](double millilitres) { Edit3->setText(NumberText::General(millilitres)); }));
    connect(run_, &MeasurementRun::Finished, this, Guarded([this](int pointCount) {
                Edit6->setText(QString::number(pointCount));
                Label8->setText(QStringLiteral("Nombre de points de mesure retenus"));
            }));
    connect(run_, &MeasurementRun::ReadingFailed, this, Guarded(this, &TFAcquisition::ShowBoardFailure));
}

void TFAcquisition::ConnectCalibration()
{
    CalibrationController* c = calibration_;
    connect(Button1, &QPushButton::clicked, c, Guarded([this] { calibration_->Button1Click(Edit2->text()); }));
    connect(Edit2, &QLineEdit::textChanged, c, Guarded([this](const QString& text) {
                // The run's pH is shown in the field too, disabled then.
                if (Edit2->isEnabled())
                    calibration_->Edit2Change(text);
            }));
    connect(RadioGroup1Items, &QButtonGroup::idClicked, c,
            Guarded([this] { calibration_->RadioGroup1Click(RadioGroup1Items->checkedId() != 0); }));
    connect(c, &CalibrationController::StatusChanged, this, Guarded(this, &TFAcquisition::SetStatusText));
    connect(c, &CalibrationController::Pressed, this,
            Guarded([this](const ElectrodeCalibration::PressResult& result, bool calibrating) {
                FrameColours::Paint(Edit9, FrameColours::Of(true, run_->Measuring()));
                Edit2->setEnabled(calibrating);
                if (!result.bufferText.isEmpty())
                    Edit2->setText(result.bufferText);
                Button1->setText(result.caption);
                LabelInstruction->setText(result.instruction);
                LabelInstruction->setVisible(!result.instruction.isEmpty());
            }));
    connect(c, &CalibrationController::CaptionChanged, Button1, &QPushButton::setText);
    connect(c, &CalibrationController::CalibratingChanged, this, Guarded([this](bool calibrating) {
                Button2->setEnabled(!calibrating);
                RadioGroup1->setEnabled(!calibrating);
            }));
    connect(c, &CalibrationController::LiveReading, this, Guarded([this](double volts, double volts2, bool differential) {
                Edit1->setText(NumberText::Fixed(volts, 4, 3));
                if (differential)
                    Edit4->setText(NumberText::Fixed(volts2, 4, 3));
            }));
    connect(c, &CalibrationController::DifferentialModeChanged, this, Guarded([this](bool differential) {
                Label6->setVisible(differential);
                Edit4->setVisible(differential);
            }));
    connect(c, &CalibrationController::ReadingFailed, this, Guarded(this, &TFAcquisition::ShowBoardFailure));
}

void TFAcquisition::CreateCompanions()
{
    AboutBox = new TAboutBox(this);
    dataCommands_ = new DataCommands(this, *record_, this);
    connect(dataCommands_, &DataCommands::StatusChanged, this, Guarded(this, &TFAcquisition::SetStatusText));
    connect(dataCommands_, &DataCommands::PointCountChanged, this,
            Guarded([this](int count) { Edit6->setText(QString::number(count)); }));
    connect(dataCommands_, &DataCommands::CommentChanged, Edit7, &QLineEdit::setText);
    dataCommands_->SetRunInProgress([this] { return run_->Measuring() || (manualEntry_ && manualEntry_->Typing()); });
    run_->SetFinishRun([this] { dataCommands_->FinishRun(); });
    recovery_ = new RunRecovery(
        StartupValues::StateDir(),
        [this] { return DataFolder::ResolveInterrupted(StartupValues::ProgramDir(), dataCommands_->FallbackFolderBase()); },
        this);
    // Every sample and press of a run is kept as it comes, for a run that a crash ends.
    connect(run_, &MeasurementRun::RunStarted, recovery_, Guarded(recovery_, &RunRecovery::BeginRun));
    connect(run_, &MeasurementRun::SampleTaken, recovery_, Guarded(recovery_, &RunRecovery::Sample));
    connect(run_, &MeasurementRun::Pressed, recovery_, Guarded(recovery_, &RunRecovery::Press));
    connect(run_, &MeasurementRun::RunEnded, recovery_, Guarded(recovery_, &RunRecovery::EndRun));
    recovery_->SetRecover([this](const RecoveryFile::Contents& left) {
        // Taken back in what it measured, as typed points or as a run.
        ApplyQuantity(left.quantity);
        return left.typed.empty() ? run_->Recover(left) : ManualEntry().Recover(left);
    });
    connect(dataCommands_, &DataCommands::HeldCopySaved, recovery_, Guarded(recovery_, &RunRecovery::HeldCopySaved));
    connect(dataCommands_, &DataCommands::HeldCopyTaken, recovery_, Guarded(recovery_, &RunRecovery::HeldCopyReplaced));
    SetFileOpener([this](const QString& path) { dataCommands_->OpenNamedFile(path); });
    PagesDlg = new TPagesDlg(this);
    help_ = new HelpController(this);
    help_->InstallF1(this);
    launchers_ = new Launchers(this);
    msgSender1_ = std::make_unique<TMsgSender>();
    // The network layer knows nothing of points: it is handed the text to send (a conductivity
    // names its quantity after the points, where readers of pH never look).
    fdgReseau_ = std::make_unique<TFDgReseau>(*msgSender1_, *msgServer1_, [this] {
        return SentMeasurement::Text(MeasurementTextIo::BuildMeasurementText(*record_),
                                     dataCommands_->Document().Values().quantity);
    });

    if (board_.bench) {
        benchWindow_ = std::make_unique<BenchWindow>(*board_.bench, board_.message);
        benchWindow_->move(198 + 571 + 12, 16);
    }
    if (!board_.message.isEmpty())
        SetStatusText(board_.message);

    BoardMenu::Hooks hooks;
    hooks.busy = [this] { return run_->Measuring() || electrode_->Calibrating(); };
    hooks.change = [this](BoardSetup board) { return ChangeBoard(std::move(board)); };
    hooks.kestrola = [this] { return CreateKestrolaBoard(QCoreApplication::arguments(), clock_); };
    hooks.usb = [this] { return CreateBoard({QString(), QLatin1String(kUsbOption)}, QString(), clock_); };
    hooks.status = [this](const QString& text) { SetStatusText(text); };
    new BoardMenu(menu_.CarteKestrola1, menu_.InterfaceUSB1, !board_.usbPort.isEmpty(), std::move(hooks), this);
}

void TFAcquisition::CreateCommands()
{
    const auto status = [this](const QString& text) { SetStatusText(text); };
    const auto dataFolder = [this] { return dataCommands_->DataFolderPath(); };
    const auto quantities = [this] { return dataCommands_->Document().Values(); };

    // "A&nalyse" after "&Paramétrer".
    analysis_ = new AnalysisCommands(*record_, *Chart1, status, this);
    analysis_->SetDataFolder(dataFolder);
    analysis_->Model().SetHeaderValues(quantities);
    analysis_->SetQuantities(quantities);
    analysis_->AttachMenu(menuBar(), AnalysisCommands::ParametrerMenuAction(menuBar()));
    // A completed calibration is kept for the next start; the electrode check then yields to
    // what the press or the keeping had to say.
    connect(calibration_, &CalibrationController::Completed, this,
            Guarded([this](const ElectrodeCalibration::PressResult& press) {
                // A conductimeter's line is kept apart; the electrode check is the pH's.
                if (MeasuredQuantities::IsConductivity(electrode_->Quantity())) {
                    const QString notKept = memory_->CompletedCell();
                    if (!notKept.isEmpty())
                        SetStatusText(notKept);
                    return;
                }
                const QString notKept = memory_->Completed(press);
                if (!notKept.isEmpty())
                    SetStatusText(notKept);
                analysis_->ShowElectrodeCheck(*electrode_, notKept.isEmpty() ? press.statusMessage : notKept,
                                              StoredCalibration::BoardOf(board_));
            }));

    // Print, PDF, CSV and the chart on the clipboard, on the Fichier and Edition items.
    auto* report = new ReportCommands(*record_, *Chart1, this);
    report->SetComment([this] { return Edit7->text(); });
    report->SetQuantities(quantities);
    report->SetDataFolder(dataFolder);
    connect(menu_.Imprimer1, &QAction::triggered, report, Guarded(report, &ReportCommands::Imprimer1Click));
    connect(menu_.ExporterenPDF1, &QAction::triggered, report, Guarded(report, &ReportCommands::ExporterenPDF1Click));
    connect(menu_.Exporterletableau1, &QAction::triggered, report,
            Guarded(report, &ReportCommands::Exporterletableau1Click));
    connect(menu_.Copierlegraphique1, &QAction::triggered, report,
            Guarded(report, &ReportCommands::Copierlegraphique1Click));
    // The report prints the method of tangents, then the fitted model, after the equivalence
    // results, as the copy does.
    AnalysisCommands* analysis = analysis_;
    report->SetTangentLines([analysis] { return analysis->Tangents().ReportLines(); });
    report->SetConductimetricLines([analysis] { return analysis->Conductimetry().ReportLines(); });
    report->SetUncertaintyLines([analysis] { return analysis->Uncertainties().ReportLines(); });
    report->SetUncertaintyTable([analysis] { return analysis->Uncertainties().ClipboardLines(); });
    report->SetModelLines([analysis] { return analysis->Model().ReportLines(); });
    // A model of two species gives each its own step's concentration.
    report->SetBeakerContent([analysis] { return analysis->Model().BeakerContent(); });

    // Curves laid over the record from files.
    auto* overlays = new OverlayCommands(*record_, *Chart1, status, this);
    overlays->SetDataFolder(dataFolder);
    connect(menu_.Superposeruncourbe1, &QAction::triggered, overlays,
            Guarded(overlays, &OverlayCommands::SuperposerClick));
    connect(menu_.Retirerlescourbes1, &QAction::triggered, overlays, Guarded(overlays, &OverlayCommands::RetirerClick));
    overlays->SetRemoveAction(menu_.Retirerlescourbes1);

    // The teacher's station, fed by MsgServer1; its files go beside the data folder, with the
    // same fallback.
    auto* station = new StationCommands(*msgServer1_, *reception_, this);
    station->SetClassFolder([this] {
        return DataFolder::ResolveClass(StartupValues::ProgramDir(), dataCommands_->FallbackFolderBase());
    });
    connect(menu_.Postedeprofesseur1, &QAction::triggered, station,
            Guarded(station, &StationCommands::Postedeprofesseur1Click));
}

void TFAcquisition::ConnectMenu()
{
    const MainMenu& m = menu_;
    DataCommands* d = dataCommands_;
    connect(m.Ouvrir1, &QAction::triggered, d, Guarded(d, &DataCommands::Ouvrir1Click));
    connect(m.Enregistrer1, &QAction::triggered, d, Guarded(d, &DataCommands::Enregistrer1Click));
    connect(m.Enregistrersous1, &QAction::triggered, d, Guarded(d, &DataCommands::Enregistrersous1Click));
    connect(m.Ajouteruncommentaire1, &QAction::triggered, d, Guarded(d, &DataCommands::Ajouteruncommentaire1Click));
    connect(m.Eliminerdespoints1, &QAction::triggered, d, Guarded(d, &DataCommands::Eliminerdespoints1Click));
    connect(m.Rtablirtouslespoints1, &QAction::triggered, d, Guarded(d, &DataCommands::Rtablirtouslespoints1Click));
    connect(m.Copiersparateurdcimal1, &QAction::triggered, d, Guarded(d, &DataCommands::Copier1Click));
    connect(m.Copiersparateurdcimal2, &QAction::triggered, d, Guarded(d, &DataCommands::Copiersparateurdcimal2Click));
    connect(m.Ouvrirlenavigateur1, &QAction::triggered, launchers_, Guarded(launchers_, &Launchers::Ouvrirlenavigateur1Click));
    connect(m.Quitteretlancernavigateur1, &QAction::triggered, this, Guarded([this] {
        quitting_ = true;
        EndMeasurements();
        launchers_->Quitteretlancernavigateur1Click();
    }));
    connect(m.N5, &QAction::triggered, launchers_, Guarded(launchers_, &Launchers::N5Click));
    connect(m.Ecrirelauteur1, &QAction::triggered, launchers_, Guarded(launchers_, &Launchers::Ecrirelauteur1Click));
    connect(m.Journal1, &QAction::triggered, launchers_, Guarded(launchers_, &Launchers::Journal1Click));
    connect(m.Conseils1, &QAction::triggered, PagesDlg, Guarded(PagesDlg, &TPagesDlg::Conseils1Click));
    connect(m.Aiderapide1, &QAction::triggered, PagesDlg, Guarded(PagesDlg, &TPagesDlg::Conseils1Click));
    connect(m.Index1, &QAction::triggered, help_, Guarded(help_, &HelpController::Index1Click));
    connect(m.Apropos1, &QAction::triggered, AboutBox, Guarded(AboutBox, &TAboutBox::Apropos1Click));
    TFDgReseau* reseau = fdgReseau_.get();
    connect(m.Envoyersurlerseau1, &QAction::triggered, reseau, Guarded(reseau, &TFDgReseau::Envoyersurlerseau1Click));
    connect(m.Testerlerseau1, &QAction::triggered, reseau, Guarded(reseau, &TFDgReseau::Testerlerseau1Click));
    connect(m.Rseau1, &QAction::triggered, reseau, Guarded(reseau, &TFDgReseau::Testerlerseau1Click));
}

void TFAcquisition::ShowBoardFailure(const BoardReading& reading)
{
    if (reading.failure == BoardReading::Failure::Status)
        SetStatusText(reading.failureText);
    else if (reading.failure == BoardReading::Failure::Exception)
        ErrorBox::Show(reading.failureText);
}

void TFAcquisition::Button2Enter()
{
    button2Focused_ = true;
    PaintButton2Frame();
}

void TFAcquisition::Button2Exit()
{
    button2Focused_ = false;
    PaintButton2Frame();
}

void TFAcquisition::PaintButton2Frame()
{
    FrameColours::Paint(Edit8, FrameColours::Of(button2Focused_, run_->Measuring()));
}

void TFAcquisition::Button1Enter()
{
    FrameColours::Paint(Edit9, FrameColours::Of(true, electrode_->Calibrating()));
}

void TFAcquisition::Button1Exit()
{
    FrameColours::Paint(Edit9, FrameColours::Of(false, electrode_->Calibrating()));
}

void TFAcquisition::RadioGroup1Enter()
{
    FrameColours::Paint(RadioGroup1, FrameColours::kLime);
}

void TFAcquisition::RadioGroup1Exit()
{
    FrameColours::Paint(RadioGroup1, QApplication::palette().color(QPalette::Button));
}
