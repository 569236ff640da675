#include "window/TFAcquisition.h"

#include "data/MeasurementRecord.h"
#include "support/DesignFont.h"
#include "support/ErrorBox.h"
#include "window/RecordChart.h"
#include "window/RecordTableModel.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

// The main window's left panel and right panel, as designed.

namespace {

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

QWidget* TFAcquisition::BuildLeftPanel()
{
    auto* panel = new QWidget;
    panel->setFixedWidth(121);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(3, 3, 3, 3);
    // The panel's height is all used at the designed size: a pixel less between the groups
    // leaves the count caption its four lines after a run.
    column->setSpacing(3);

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
    // The two captions read as one: no gap between them.
    units->setSpacing(0);
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
    LabelGrandeur = Caption(QStringLiteral("p&H"), Edit2);
    LabelGrandeur->setObjectName(QStringLiteral("LabelGrandeur"));
    resultLayout->addWidget(LabelGrandeur);
    resultLayout->addWidget(Edit2);
    auto* countRow = new QHBoxLayout;
    Label8 = Caption(QStringLiteral("Nombre de points mesurés"));
    Label8->setObjectName(QStringLiteral("Label8"));
    // Room for the longer caption after a run, "Nombre de points de mesure retenus", in the
    // window's font (the label has none of its own yet).
    Label8->setMinimumHeight(QFontMetrics(DesignFont(8)).lineSpacing() * 4);
    Edit6 = Field(QStringLiteral("Edit6"), QStringLiteral("0"), 8);
    Edit6->setMaximumWidth(44);
    countRow->addWidget(Label8, 1);
    countRow->addWidget(Edit6);
    resultLayout->addLayout(countRow);

    RadioGroup1 = new QGroupBox(QStringLiteral("Ele&ctrode"));
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    // Its background shows the focus.
    RadioGroup1->setAutoFillBackground(true);
    auto* radioLayout = new QVBoxLayout(RadioGroup1);
    radioLayout->setContentsMargins(4, 2, 4, 2);
    radioLayout->setSpacing(0);
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
    // Enter on the focused calibrate button presses it, as Space does.
    Button1->setAutoDefault(true);
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
    // A permanent widget: the readout never erases the status bar's messages.
    LabelLecture = new QLabel;
    LabelLecture->setObjectName(QStringLiteral("LabelLecture"));
    statusBar()->addPermanentWidget(LabelLecture);
    connect(Chart1, &RecordChart::ReadoutChanged, LabelLecture, &QLabel::setText);
    LabelInstruction = new QLabel;
    LabelInstruction->setObjectName(QStringLiteral("LabelInstruction"));
    LabelInstruction->setWordWrap(true);
    LabelInstruction->setAutoFillBackground(true);
    QPalette yellow = LabelInstruction->palette();
    yellow.setColor(QPalette::Window, QColor(255, 255, 160));
    LabelInstruction->setPalette(yellow);
    LabelInstruction->setMargin(4);
    // Shown during a calibration only.
    LabelInstruction->hide();
    column->addWidget(LabelInstruction);
    auto* strip = new QHBoxLayout;
    strip->setContentsMargins(4, 0, 4, 2);
    Edit7 = Field(QStringLiteral("Edit7"), QString(), 8);
    strip->addWidget(Caption(QStringLiteral("Commentaire"), Edit7));
    strip->addWidget(Edit7, 1);
    column->addLayout(strip);
    return panel;
}

QWidget* TFAcquisition::BuildGrid()
{
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
    // The designed 58 and 75 pixels put part of the volume column under the scroll bar, which
    // cut its header to "volume en" in the substituted font: these two fill the visible width
    // of the 136-pixel panel, and the headers are one point smaller than the cells.
    const int widths[] = {48, 70, 2, 4};
    StringGrid1->horizontalHeader()->setFont(DesignFont(7));
    for (int c = 0; c < MeasurementRecord::kColumnCount; ++c)
        StringGrid1->setColumnWidth(c, widths[c]);
    StringGrid1->setMinimumWidth(5);
    StringGrid1->setMaximumWidth(300);
    // Queued: the view lays out its new rows before it can scroll to them.
    connect(
        record_, &MeasurementRecord::TopRowChanged, this,
        Guarded([this] {
            const int top = record_->TopRow();
            if (top - 1 < tableModel_->rowCount())
                StringGrid1->scrollTo(tableModel_->index(top - 1, 0), QAbstractItemView::PositionAtTop);
        }),
        Qt::QueuedConnection);
    return StringGrid1;
}
