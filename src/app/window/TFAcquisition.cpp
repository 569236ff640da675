#include "window/TFAcquisition.h"

#include "acquisition/BoardMenu.h"
#include "acquisition/CalibrationController.h"
#include "acquisition/CalibrationMemory.h"
#include "acquisition/ElectrodeCalibration.h"
#include "acquisition/KeyFilter.h"
#include "acquisition/MeasurementRun.h"
#include "acquisition/RunRecovery.h"
#include "acquisition/StoredCalibration.h"
#include "board/BenchWindow.h"
#include "board/Clock.h"
#include "board/MeasurementThread.h"
#include "data/MeasurementRecord.h"
#include "data/RunTiming.h"
#include "net/TFDgReseau.h"
#include "net/TMainMsgServer.h"
#include "net/TMsgSender.h"
#include "station/NetworkReception.h"
#include "support/DesignFont.h"
#include "support/ErrorBox.h"
#include "support/QuestionBox.h"
#include "window/RecordTableModel.h"
#include "window/WindowSettings.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>

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
        timer->setInterval(RunTiming::kTimerIntervalMs);

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
    run_ = new MeasurementRun(*record_, *electrode_, *measurement_, clock_, *Timer1, this);
    ConnectRun();
    calibration_ = new CalibrationController(*electrode_, *measurement_, *Timer2, this);
    ConnectCalibration();
    // The calibration kept from an earlier start; a board's refusal, shown after it by
    // CreateCompanions, keeps the priority.
    memory_ = new CalibrationMemory(*electrode_, [this] { return StoredCalibration::BoardOf(board_); }, this);
    connect(memory_, &CalibrationMemory::ElectrodeModeRestored, this, Guarded([this](bool differential) {
                RadioGroup1Items->button(differential ? 1 : 0)->setChecked(true);
                calibration_->RadioGroup1Click(differential);
            }));
    SetStatusText(memory_->Restore());
    CreateCompanions();
    // A station that cannot receive says so at once, beside the board's refusal if there is one.
    if (!reception_->Problem().isEmpty())
        SetStatusText(board_.message.isEmpty() ? reception_->Problem()
                                               : board_.message + QStringLiteral("  |  ") + reception_->Problem());
    connect(reception_, &NetworkReception::Restored, this, Guarded(this, &TFAcquisition::SetStatusText));
    ConnectMenu();
    // The analysis menu, the report, the curves laid over and the teacher's station.
    CreateCommands();
    // One application-wide filter: it previews typed characters and sees the buttons' keys
    // and focus changes.
    qApp->installEventFilter(this);

    // The table's column captions from the start; a run or an open fills in the rest.
    record_->SetCell(MeasurementRecord::ColPH, 0, QStringLiteral("pH"));
    record_->SetCell(MeasurementRecord::ColVolume, 0, QStringLiteral("volume en L"));
    CreateQuantityAndTyping();
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
    // A new bench starts with the pH electrode: its probe follows the quantity measured.
    ApplyQuantity(record_->Quantity());
    return QString();
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
        ErrorBox::Guard([this] { FormShow(); });
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
    const bool consumed = ErrorBox::Guard([&] { return FilterEvent(watched, event); });
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
            Button2Enter();
        else if (watched == Button1)
            Button1Enter();
        else if (watched == RadioGroup1Items->button(0) || watched == RadioGroup1Items->button(1))
            RadioGroup1Enter();
        break;
    case QEvent::FocusOut:
        if (watched == Button2) {
            button2Press_ = 0;
            Button2Exit();
        } else if (watched == Button1)
            Button1Exit();
        else if (watched == RadioGroup1Items->button(0) || watched == RadioGroup1Items->button(1))
            RadioGroup1Exit();
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
    if (!ErrorBox::Guard([&] { FormCloseQuery(event); }))
        event->ignore();
}

void TFAcquisition::FormCloseQuery(QCloseEvent* event)
{
    if (!quitting_ && run_->Measuring()) {
        bool quit = false;
        if (askQuitDuringRun_) {
            quit = askQuitDuringRun_();
        } else {
            quit = QuestionBox::AskOuiNon(this, QStringLiteral("Une mesure est en cours. Quitter quand même ?"));
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
