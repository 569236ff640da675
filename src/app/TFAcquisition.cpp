#include "TFAcquisition.h"

#include "CalibrationController.h"
#include "Clock.h"
#include "ElectrodeCalibration.h"
#include "ErrorBox.h"
#include "KeyFilter.h"
#include "MeasurementRecord.h"
#include "MeasurementRun.h"
#include "RecordChart.h"
#include "RecordTableModel.h"
#include "TTorviC.h"
#include "WindowSettings.h"

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

namespace {

// The designed font; where the platform lacks it, Qt falls back to its sans serif.
QFont DesignFont(int points)
{
    QFont font(QStringLiteral("MS Sans Serif"), points);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QLineEdit* Field(const QString& name, const QString& text, int points, bool red = false)
{
    auto* edit = new QLineEdit(text);
    edit->setObjectName(name);
    edit->setFont(DesignFont(points));
    edit->setEnabled(false);
    if (red) {
        QPalette palette = edit->palette();
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            palette.setColor(group, QPalette::Text, Qt::red);
        edit->setPalette(palette);
    }
    return edit;
}

QLabel* Caption(const QString& text, QWidget* buddy = nullptr)
{
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

// A disabled coloured frame slightly larger than its button: the focus colours show on it.
QFrame* ButtonFrame(const QString& name, QPushButton* button)
{
    auto* frame = new QFrame;
    frame->setObjectName(name);
    frame->setAutoFillBackground(true);
    frame->setBackgroundRole(QPalette::Window);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->addWidget(button);
    return frame;
}

}  // namespace

TFAcquisition::TFAcquisition(QWidget* parent)
    : TFAcquisition(MonotonicClock::Instance(),
                    CreateBoard(QCoreApplication::arguments(), MonotonicClock::Instance()), parent)
{
}

TFAcquisition::TFAcquisition(Clock& clock, BoardSetup board, QWidget* parent)
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
    connect(menu_.Quitter1, &QAction::triggered, this, &TFAcquisition::Quitter1Click);

    auto* central = new QWidget;
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(BuildLeftPanel());

    auto* splitter = new QSplitter(Qt::Horizontal);
    StringGrid1 = new QTableView;
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setModel(tableModel_);
    StringGrid1->setFocusPolicy(Qt::NoFocus);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::NoSelection);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    StringGrid1->setShowGrid(true);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->verticalHeader()->setDefaultSectionSize(18);
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    const int widths[] = {58, 75, 2, 4};
    for (int c = 0; c < MeasurementRecord::kColumnCount; ++c)
        StringGrid1->setColumnWidth(c, widths[c]);
    StringGrid1->setMinimumWidth(5);
    StringGrid1->setMaximumWidth(300);
    // Queued: the view lays out its new rows before it can scroll to them.
    connect(
        record_, &MeasurementRecord::TopRowChanged, this,
        [this] {
            const int top = record_->TopRow();
            if (top - 1 < tableModel_->rowCount())
                StringGrid1->scrollTo(tableModel_->index(top - 1, 0), QAbstractItemView::PositionAtTop);
        },
        Qt::QueuedConnection);
    splitter->addWidget(StringGrid1);
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
            [this](int row, double) { Edit6->setText(QString::number(row)); });

    // Creating the component programs the board's parallel interface.
    P = new TTorviC(*board_.bus, clock_, this);
    P->setObjectName(QStringLiteral("P"));
    run_ = new MeasurementRun(*this, *electrode_, *P, clock_);
    calibration_ = new CalibrationController(*this, *electrode_, *P, LabelInstruction);
    calibration_->SetMeasuring([this] { return run_->Measuring(); });
    // One application-wide filter: it previews typed characters and sees the buttons' keys
    // and focus changes.
    qApp->installEventFilter(this);

    record_->ResetRecord();
    move(198, 16);
    resize(571, 575);
}

TFAcquisition::~TFAcquisition()
{
    qApp->removeEventFilter(this);
}

QWidget* TFAcquisition::BuildLeftPanel()
{
    auto* panel = new QWidget;
    panel->setFixedWidth(121);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(3, 3, 3, 3);
    column->setSpacing(4);

    auto* keys = new QLabel(QStringLiteral("Pour les mesures, employez uniquement : Entrée, Espace et Tabulation"));
    keys->setWordWrap(true);
    keys->setFont(DesignFont(9));
    keys->setAutoFillBackground(true);
    QPalette yellow = keys->palette();
    yellow.setColor(QPalette::Window, Qt::yellow);
    keys->setPalette(yellow);
    column->addWidget(keys);

    auto* mesure = new QGroupBox(QStringLiteral("Mesure"));
    mesure->setObjectName(QStringLiteral("GroupBoxMesure"));
    auto* mesureLayout = new QVBoxLayout(mesure);
    mesureLayout->setContentsMargins(4, 4, 4, 4);
    mesureLayout->setSpacing(2);
    Button2 = new QPushButton(QStringLiteral("&Mesurer"));
    Button2->setObjectName(QStringLiteral("Button2"));
    Edit8 = ButtonFrame(QStringLiteral("Edit8"), Button2);
    mesureLayout->addWidget(Edit8);
    mesureLayout->addWidget(Caption(QStringLiteral("Lancement et arrêt par Entrée")));
    mesureLayout->addWidget(Caption(QStringLiteral("Frappez Espace pour")));
    auto* volumeRow = new QHBoxLayout;
    Edit3 = Field(QStringLiteral("Edit3"), QStringLiteral("1"), 16, true);
    Edit3->setEnabled(true);
    Edit3->setReadOnly(true);
    Edit3->setFocusPolicy(Qt::NoFocus);
    Edit3->setMaximumWidth(44);
    volumeRow->addWidget(Edit3);
    auto* units = new QVBoxLayout;
    units->addWidget(Caption(QStringLiteral("mL de réactif")));
    units->addWidget(Caption(QStringLiteral("versé")));
    volumeRow->addLayout(units);
    mesureLayout->addLayout(volumeRow);
    column->addWidget(mesure);

    auto* resultats = new QGroupBox(QStringLiteral("Résultats"));
    resultats->setObjectName(QStringLiteral("GroupBoxResultats"));
    auto* resultLayout = new QVBoxLayout(resultats);
    resultLayout->setContentsMargins(4, 4, 4, 4);
    resultLayout->setSpacing(2);
    Edit1 = Field(QStringLiteral("Edit1"), QString(), 16);
    resultLayout->addWidget(Caption(QStringLiteral("Tension, en V"), Edit1));
    resultLayout->addWidget(Edit1);
    Edit4 = Field(QStringLiteral("Edit4"), QString(), 16);
    Label6 = Caption(QStringLiteral("U2, en V"), Edit4);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->hide();
    Edit4->hide();
    resultLayout->addWidget(Label6);
    resultLayout->addWidget(Edit4);
    Edit2 = Field(QStringLiteral("Edit2"), QStringLiteral("0"), 22, true);
    resultLayout->addWidget(Caption(QStringLiteral("p&H"), Edit2));
    resultLayout->addWidget(Edit2);
    auto* countRow = new QHBoxLayout;
    Label8 = Caption(QStringLiteral("Nombre de points mesurés"));
    Label8->setObjectName(QStringLiteral("Label8"));
    Edit6 = Field(QStringLiteral("Edit6"), QStringLiteral("0"), 8);
    Edit6->setMaximumWidth(44);
    countRow->addWidget(Label8, 1);
    countRow->addWidget(Edit6);
    resultLayout->addLayout(countRow);

    RadioGroup1 = new QGroupBox(QStringLiteral("Ele&ctrode"));
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    auto* radioLayout = new QVBoxLayout(RadioGroup1);
    radioLayout->setContentsMargins(4, 4, 4, 4);
    RadioGroup1Items = new QButtonGroup(RadioGroup1);
    const QString items[] = {QStringLiteral("Sonde sur voie 1"), QStringLiteral("Voie 1 - voie 2")};
    for (int i = 0; i < 2; ++i) {
        auto* radio = new QRadioButton(items[i]);
        radio->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(i));
        RadioGroup1Items->addButton(radio, i);
        radioLayout->addWidget(radio);
    }
    RadioGroup1Items->button(0)->setChecked(true);

    auto* etalonnage = new QGroupBox(QStringLiteral("Etalonnage"));
    etalonnage->setObjectName(QStringLiteral("GroupBoxEtalonnage"));
    auto* etalonnageLayout = new QVBoxLayout(etalonnage);
    etalonnageLayout->setContentsMargins(4, 4, 4, 4);
    Button1 = new QPushButton(QStringLiteral("Etal&onner"));
    Button1->setObjectName(QStringLiteral("Button1"));
    Edit9 = ButtonFrame(QStringLiteral("Edit9"), Button1);
    etalonnageLayout->addWidget(Edit9);

    column->addWidget(resultats);
    column->addWidget(RadioGroup1);
    column->addStretch(1);
    column->addWidget(etalonnage);
    return panel;
}

QWidget* TFAcquisition::BuildRightPanel()
{
    auto* panel = new QWidget;
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    Chart1 = new RecordChart(*record_);
    column->addWidget(Chart1, 1);
    LabelInstruction = new QLabel;
    LabelInstruction->setObjectName(QStringLiteral("LabelInstruction"));
    LabelInstruction->setWordWrap(true);
    LabelInstruction->setAutoFillBackground(true);
    QPalette yellow = LabelInstruction->palette();
    yellow.setColor(QPalette::Window, QColor(255, 255, 160));
    LabelInstruction->setPalette(yellow);
    LabelInstruction->setMargin(4);
    column->addWidget(LabelInstruction);
    auto* strip = new QHBoxLayout;
    strip->setContentsMargins(4, 0, 4, 2);
    Edit7 = Field(QStringLiteral("Edit7"), QString(), 8);
    strip->addWidget(Caption(QStringLiteral("Commentaire"), Edit7));
    strip->addWidget(Edit7, 1);
    column->addLayout(strip);
    return panel;
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
        FormShow();
    }
}

void TFAcquisition::FormShow()
{
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i].startsWith(QLatin1String("--")))
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
    switch (event->type()) {
    case QEvent::KeyPress:
        return FormKeyPress(watched, static_cast<QKeyEvent*>(event));
    case QEvent::KeyRelease:
        if (watched == Button2 && !static_cast<QKeyEvent*>(event)->isAutoRepeat())
            run_->Button2KeyUp(static_cast<QKeyEvent*>(event)->key());
        break;
    case QEvent::FocusIn:
        if (watched == Button2)
            run_->Button2Enter();
        else if (watched == Button1)
            calibration_->Button1Enter();
        else if (watched == RadioGroup1Items->button(0) || watched == RadioGroup1Items->button(1))
            calibration_->RadioGroup1Enter();
        break;
    case QEvent::FocusOut:
        if (watched == Button2)
            run_->Button2Exit();
        else if (watched == Button1)
            calibration_->Button1Exit();
        else if (watched == RadioGroup1Items->button(0) || watched == RadioGroup1Items->button(1))
            calibration_->RadioGroup1Exit();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
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
        event->accept();
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
        QSettings settings(QStringLiteral("Torvi"), QStringLiteral("Quorin"));
        WindowSettings::Write(settings, state, frameGeometry());
        return true;
    });
}

void TFAcquisition::Quitter1Click()
{
    // Ends the loop after the current message; the window values are not written on this path.
    quitting_ = true;
    QCoreApplication::exit(0);
}
