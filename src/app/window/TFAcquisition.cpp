#include "window/TFAcquisition.h"

#include "acquisition/BoardMenu.h"
#include "acquisition/CalibrationController.h"
#include "acquisition/CalibrationMemory.h"
#include "acquisition/ElectrodeCalibration.h"
#include "acquisition/KeyFilter.h"
#include "acquisition/MeasurementRun.h"
#include "acquisition/RunRecovery.h"
#include "acquisition/StoredCalibration.h"
#include "analysis/AnalysisCommands.h"
#include "analysis/ModelCommands.h"
#include "analysis/TangentCommands.h"
#include "board/BenchWindow.h"
#include "board/Clock.h"
#include "board/MeasurementThread.h"
#include "chemistry/TitrationFit.h"
#include "data/DataFolder.h"
#include "data/MeasurementRecord.h"
#include "data/MeasurementTextIo.h"
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
#include "station/NetworkReception.h"
#include "station/StationCommands.h"
#include "support/ErrorBox.h"
#include "support/StartupValues.h"
#include "window/RecordChart.h"
#include "window/RecordTableModel.h"
#include "window/WindowSettings.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

TFAcquisition::TFAcquisition(QWidget* parent)
    : TFAcquisition(MonotonicClock::Instance(),
                    CreateBoard(QCoreApplication::arguments(), BoardMenu::EnvironmentOrRemembered(),
                                MonotonicClock::Instance()),
                    MessageEndpoint(), parent)
{
}

TFAcquisition::TFAcquisition(Clock& clock, BoardSetup board, const MessageEndpoint& endpoint, QWidget* parent)
    : QMainWindow(parent)
    , clock_(clock)
    , board_(std::move(board))
    , electrode_(std::make_unique<ElectrodeCalibration>())
    , record_(new MeasurementRecord(this))
    , tableModel_(new RecordTableModel(*record_, this))
{
    setObjectName(QStringLiteral("FAcquisition"));
    setWindowTitle(QStringLiteral("Torvi : Quorin, mesure de pH, avec une carte d'acquisition Kestrola."));
    setFont(DesignFont(8));

    menu_ = BuildMainMenu(menuBar());
    connect(menu_.Quitter1, &QAction::triggered, this, Guarded(this, &TFAcquisition::Quitter1Click));

    auto* central = new QWidget;
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(BuildLeftPanel());

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(BuildGrid());
    splitter->addWidget(BuildRightPanel());
    splitter->setCollapsible(0, false);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({136, 300});
    row->addWidget(splitter, 1);
    setCentralWidget(central);

    statusBar()->setSizeGripEnabled(true);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    for (QTimer* timer : {Timer1, Timer2})
        timer->setInterval(kTimerIntervalMs);

    // Tab order of the left panel: "Mesure", "Ele&ctrode", "Etalonnage", "Résultats".
    setTabOrder(Button2, RadioGroup1Items->button(0));
    setTabOrder(RadioGroup1Items->button(0), RadioGroup1Items->button(1));
    setTabOrder(RadioGroup1Items->button(1), Button1);
    setTabOrder(Button1, Edit2);

    connect(record_, &MeasurementRecord::SampleAppended, this,
            Guarded([this](int row, double) { Edit6->setText(QString::number(row)); }));

    // Listens from the window's creation to the end of the program.
    msgServer1_ = std::make_unique<TMainMsgServer>(nullptr, endpoint.port, endpoint.address);
    reception_ = new NetworkReception(*msgServer1_, this);

    // The board is read on a thread of its own, so that the window answers during a
    // measurement. The real board's bus is opened there too, since port permissions belong to
    // the thread that asked for them; creating the component programs the parallel interface.
    measurement_ = new MeasurementThread(clock_, this);
    const QString refusal = measurement_->Open(board_);
    if (!refusal.isEmpty()) {
        FallBackToBench(board_, clock_, refusal);
        measurement_->Open(board_);
    }
    run_ = new MeasurementRun(*this, *electrode_, *measurement_, clock_);
    calibration_ = new CalibrationController(*this, *electrode_, *measurement_, LabelInstruction);
    calibration_->SetMeasuring([this] { return run_->Measuring(); });
    // The calibration kept from an earlier start; a board's refusal, shown after it by
    // CreateCompanions, keeps the priority.
    auto* memory = new CalibrationMemory(*this, *electrode_, *calibration_);
    calibration_->SetCompleted([memory](const ElectrodeCalibration::PressResult& press) { memory->Completed(press); });
    SetStatusText(memory->Restore());
    CreateCompanions();
    // A station that cannot receive says so at once, beside the board's refusal if there is one.
    if (!reception_->Problem().isEmpty())
        SetStatusText(board_.message.isEmpty() ? reception_->Problem()
                                               : board_.message + QStringLiteral("  |  ") + reception_->Problem());
    connect(reception_, &NetworkReception::Restored, this, Guarded(this, &TFAcquisition::SetStatusText));
    ConnectMenu();
    // "A&nalyse" after "&Paramétrer". Connected after the calibration's own handler, so the
    // electrode check sees what the press left in the status bar and yields to its message.
    auto* analysis = new AnalysisCommands(*this);
    connect(Button1, &QPushButton::clicked, analysis,
            Guarded([this, analysis] {
                analysis->ShowElectrodeCheck(*electrode_, StatusText(), StoredCalibration::BoardOf(board_));
            }));
    // Print, PDF, CSV and the chart on the clipboard, on the Fichier and Edition items.
    auto* report = new ReportCommands(*this);
    // The report prints the method of tangents, then the fitted model, after the equivalence
    // results, as the copy does.
    report->SetTangentLines([analysis] { return analysis->Tangents().ReportLines(); });
    report->SetModelLines([analysis] {
        const auto& fit = analysis->Model().LastFit();
        if (!fit)
            return QStringList();
        return QStringList{QStringLiteral("Modèle choisi : %1").arg(TitrationFit::Description(fit->model)),
                           TitrationFit::ResultText(*fit)};
    });
    // Curves laid over the record from files; the teacher's station, fed by MsgServer1.
    new OverlayCommands(*this);
    new StationCommands(*this);
    // One application-wide filter: it previews typed characters and sees the buttons' keys
    // and focus changes.
    qApp->installEventFilter(this);

    // The table's column captions from the start; a run or an open fills in the rest.
    record_->SetCell(MeasurementRecord::ColPH, 0, QStringLiteral("pH"));
    record_->SetCell(MeasurementRecord::ColVolume, 0, QStringLiteral("volume en L"));
    move(198, 16);
    resize(571, 575);
}

TFAcquisition::~TFAcquisition()
{
    qApp->removeEventFilter(this);
    // Before the bench that the emulated board reads, and the window's other members, go.
    EndMeasurements();
}

void TFAcquisition::EndMeasurements()
{
    Timer1->stop();
    Timer2->stop();
    measurement_->End();
}

void TFAcquisition::CreateCompanions()
{
    AboutBox = new TAboutBox(this);
    dataCommands_ = new DataCommands(this, *record_, statusBar(), Edit6, Edit7, this);
    dataCommands_->SetRunInProgress([this] { return run_->Measuring(); });
    run_->SetFinishRun([this] { dataCommands_->FinishRun(); });
    recovery_ = new RunRecovery(
        StartupValues::StateDir(),
        [this] { return DataFolder::ResolveInterrupted(StartupValues::ProgramDir(), dataCommands_->FallbackFolderBase()); },
        this);
    run_->SetRecovery(recovery_);
    recovery_->SetRecover([this](const RecoveryFile::Contents& left) { return run_->Recover(left); });
    connect(dataCommands_, &DataCommands::HeldCopySaved, recovery_, Guarded(recovery_, &RunRecovery::HeldCopySaved));
    connect(dataCommands_, &DataCommands::HeldCopyTaken, recovery_, Guarded(recovery_, &RunRecovery::HeldCopyReplaced));
    SetFileOpener([this](const QString& path) { dataCommands_->OpenNamedFile(path); });
    PagesDlg = new TPagesDlg(this);
    help_ = new HelpController(this);
    help_->InstallF1(this);
    launchers_ = new Launchers(this);
    msgSender1_ = std::make_unique<TMsgSender>();
    // The network layer knows nothing of points: it is handed the text to send.
    fdgReseau_ = std::make_unique<TFDgReseau>(*msgSender1_, *msgServer1_,
                                              [this] { return MeasurementTextIo::BuildMeasurementText(*record_); });

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

QString TFAcquisition::ChangeBoard(BoardSetup board)
{
    const bool realBoard = !board.usb && !board.simulated;
    QString refusal = measurement_->Open(board);
    // The real board refused falls back to the bench, as at start.
    if (!refusal.isEmpty() && realBoard) {
        FallBackToBench(board, clock_, refusal);
        refusal = measurement_->Open(board);
    }
    if (!refusal.isEmpty())
        return refusal;
    // The measurement thread no longer reads the old bench: its window and then it can go.
    benchWindow_.reset();
    board_ = std::move(board);
    if (board_.bench) {
        benchWindow_ = std::make_unique<BenchWindow>(*board_.bench, board_.message);
        benchWindow_->move(198 + 571 + 12, 16);
        benchWindow_->show();
    }
    SetStatusText(board_.message);
    return QString();
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

void TFAcquisition::SetStatusText(const QString& text)
{
    statusBar()->showMessage(text);
}

QString TFAcquisition::StatusText() const
{
    return statusBar()->currentMessage();
}

bool TFAcquisition::event(QEvent* event)
{
    // Menu items carry no status tips; without this, hovering them would erase the status text.
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

void TFAcquisition::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        if (benchWindow_)
            benchWindow_->show();
        // The command-line file may not read: the error box says so and the window is there.
        ErrorBox::Guard([this] {
            FormShow();
            return true;
        });
    }
}

void TFAcquisition::FormShow()
{
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (IsBoardOption(arguments[i]))
            continue;
        if (!arguments[i].isEmpty())
            OpenNamedFile(arguments[i]);
        break;
    }
}

void TFAcquisition::OpenNamedFile(const QString& path)
{
    if (fileOpener_)
        fileOpener_(path);
}

bool TFAcquisition::eventFilter(QObject* watched, QEvent* event)
{
    // The window's key and focus handlers end here when they fail, at their own edge.
    bool consumed = false;
    ErrorBox::Guard([&] {
        consumed = FilterEvent(watched, event);
        return true;
    });
    return consumed || QMainWindow::eventFilter(watched, event);
}

bool TFAcquisition::FilterEvent(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == Button2 && !key->isAutoRepeat())
            button2Press_ = key->key();
        return FormKeyPress(watched, key);
    }
    case QEvent::KeyRelease: {
        // Only a key pressed on the button acts at its release there: the Enter that closed a
        // dialog or chose a menu item is released on the button once the focus is back.
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == Button2 && !key->isAutoRepeat() && key->key() == button2Press_) {
            button2Press_ = 0;
            run_->Button2KeyUp(key->key());
        }
        break;
    }
    case QEvent::FocusIn:
        if (watched == Button2)
            run_->Button2Enter();
        else if (watched == Button1)
            calibration_->Button1Enter();
        else if (watched == RadioGroup1Items->button(0) || watched == RadioGroup1Items->button(1))
            calibration_->RadioGroup1Enter();
        break;
    case QEvent::FocusOut:
        if (watched == Button2) {
            button2Press_ = 0;
            run_->Button2Exit();
        } else if (watched == Button1)
            calibration_->Button1Exit();
        else if (watched == RadioGroup1Items->button(0) || watched == RadioGroup1Items->button(1))
            calibration_->RadioGroup1Exit();
        break;
    default:
        break;
    }
    return false;
}

bool TFAcquisition::FormKeyPress(QObject* receiver, QKeyEvent* event)
{
    // A key event travels up the parents, passing the application's filters at each step:
    // act once, where it is first delivered (the focused control, or this window).
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (filtering_ || !widget || widget->window() != this)
        return false;
    QWidget* first = QApplication::focusWidget();
    if (widget != (first && first->window() == this ? first : this))
        return false;
    if (event->text().size() != 1 || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    const QChar typed = event->text().at(0);
    // Tab moves the focus in either state; only its character would be discarded.
    if (typed == QLatin1Char('\t'))
        return false;
    const std::optional<QChar> kept = KeyFilter::Filter(typed, run_->Measuring());
    if (!kept)
        return true;
    if (*kept == KeyFilter::kValidate) {
        run_->ValidateVolume();
        return true;
    }
    if (*kept == typed)
        return false;
    const int key = *kept == QLatin1Char(',') ? Qt::Key_Comma : (*kept == QLatin1Char('E') ? Qt::Key_E : event->key());
    QKeyEvent replaced(QEvent::KeyPress, key, event->modifiers(), QString(*kept), event->isAutoRepeat());
    filtering_ = true;
    QCoreApplication::sendEvent(receiver, &replaced);
    filtering_ = false;
    return true;
}

void TFAcquisition::closeEvent(QCloseEvent* event)
{
    // A failure while closing leaves the window open, as a failed write of its values does.
    if (!ErrorBox::Guard([&] {
            FormCloseQuery(event);
            return true;
        }))
        event->ignore();
}

void TFAcquisition::FormCloseQuery(QCloseEvent* event)
{
    if (!quitting_ && run_->Measuring()) {
        bool quit = false;
        if (askQuitDuringRun_) {
            quit = askQuitDuringRun_();
        } else {
            QMessageBox box(QMessageBox::Question, QStringLiteral("Quorin"),
                            QStringLiteral("Une mesure est en cours. Quitter quand même ?"), QMessageBox::NoButton, this);
            QPushButton* yes = box.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
            box.setDefaultButton(box.addButton(QStringLiteral("&Non"), QMessageBox::NoRole));
            box.exec();
            quit = box.clickedButton() == yes;
        }
        if (!quit) {
            event->ignore();
            return;
        }
    }
    if (quitting_ || FormClose()) {
        // Closing during a run was confirmed: its recovery file stays, so the next start offers
        // the points (a student's slip costs one question, never a titration).
        event->accept();
        EndMeasurements();
        // The bench window is a window of its own; the program ends with the main window.
        if (benchWindow_)
            benchWindow_->close();
        return;
    }
    event->ignore();
}

bool TFAcquisition::FormClose()
{
    WindowSettings::State state = WindowSettings::State::Normal;
    if (isMaximized())
        state = WindowSettings::State::Maximised;
    else if (isMinimized())
        state = WindowSettings::State::Minimised;
    return ErrorBox::Guard([&] {
        QSettings settings;
        WindowSettings::Write(settings, state, frameGeometry());
        return true;
    });
}

void TFAcquisition::OfferLeftRuns()
{
    recovery_->OfferLeftRuns();
}

void TFAcquisition::Quitter1Click()
{
    // Ends the loop after the current message; the window values are not written on this path.
    // A run's points stay in its recovery file, offered at the next start.
    quitting_ = true;
    EndMeasurements();
    QCoreApplication::exit(0);
}
