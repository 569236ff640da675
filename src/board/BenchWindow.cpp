#include "board/BenchWindow.h"

#include "board/SimulatedBench.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QString Millilitres(double volume)
{
    return QString::number(volume, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(','));
}

struct RadioEntry {
    int id;
    const char* name;
    QString text;
};

// A group box of radio buttons, one per entry, whose ids are the entries' ids in `group`.
template <std::size_t N>
QGroupBox* RadioBox(const QString& title, const RadioEntry (&entries)[N], QButtonGroup* group, QWidget* parent,
                    bool across = false)
{
    auto* box = new QGroupBox(title, parent);
    QBoxLayout* boxLayout = across ? static_cast<QBoxLayout*>(new QHBoxLayout(box)) : new QVBoxLayout(box);
    for (const RadioEntry& entry : entries) {
        auto* radio = new QRadioButton(entry.text, box);
        radio->setObjectName(QLatin1String(entry.name));
        group->addButton(radio, entry.id);
        boxLayout->addWidget(radio);
    }
    return box;
}

template <class Enum>
constexpr int Id(Enum value)
{
    return static_cast<int>(value);
}

}  // namespace

BenchWindow::BenchWindow(SimulatedBench& bench, const QString& notice, QWidget* parent)
    : QWidget(parent, Qt::Window), bench_(bench)
{
    setWindowTitle(QStringLiteral("Banc de simulation"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* layout = new QVBoxLayout(this);

    auto* simulation = new QLabel(QStringLiteral("<b>Simulation</b> : aucune carte d'acquisition n'est utilisée. "
                                                 "Les tensions mesurées viennent de ce banc de titrage simulé."),
                                  this);
    simulation->setWordWrap(true);
    layout->addWidget(simulation);
    if (!notice.isEmpty()) {
        auto* noticeLabel = new QLabel(notice, this);
        noticeLabel->setObjectName(QStringLiteral("noticeLabel"));
        noticeLabel->setWordWrap(true);
        noticeLabel->setStyleSheet(QStringLiteral("color: #b00000;"));
        layout->addWidget(noticeLabel);
    }

    using Place = SimulatedBench::ElectrodePlace;
    using CellPlace = SimulatedBench::CellPlace;
    using Probe = SimulatedBench::Probe;
    probes_ = new QButtonGroup(this);
    const RadioEntry probeButtons[] = {
        {Id(Probe::PHElectrode), "probePHRadio", QStringLiteral("Électrode de &pH")},
        {Id(Probe::ConductivityCell), "probeCellRadio", QStringLiteral("Cellule de &conductimétrie")},
    };
    layout->addWidget(RadioBox(QStringLiteral("Sonde"), probeButtons, probes_, this, true));

    // Each probe's places on a page of their own: the hidden page's access keys do nothing, so
    // both may say "bécher" with the same key.
    placePages_ = new QStackedWidget(this);
    places_ = new QButtonGroup(this);
    const RadioEntry placeButtons[] = {
        {Id(Place::Buffer4), "buffer4Radio", QStringLiteral("le tampon pH &4")},
        {Id(Place::Buffer7), "buffer7Radio", QStringLiteral("le tampon pH &7")},
        {Id(Place::Buffer10), "buffer10Radio", QStringLiteral("le tampon pH 1&0")},
        {Id(Place::Beaker), "beakerRadio", QStringLiteral("le &bécher à titrer")},
    };
    placePages_->insertWidget(Id(Probe::PHElectrode),
                              RadioBox(QStringLiteral("Électrode plongée dans"), placeButtons, places_, placePages_));
    cellPlaces_ = new QButtonGroup(this);
    const RadioEntry cellButtons[] = {
        {Id(CellPlace::DistilledWater), "waterRadio", QStringLiteral("l'&eau distillée")},
        {Id(CellPlace::KClStandard), "standardRadio", QStringLiteral("la solution étalon &KCl 1,413 mS/cm")},
        {Id(CellPlace::Beaker), "cellBeakerRadio", QStringLiteral("le &bécher à titrer")},
    };
    placePages_->insertWidget(Id(Probe::ConductivityCell),
                              RadioBox(QStringLiteral("Cellule plongée dans"), cellButtons, cellPlaces_, placePages_));
    layout->addWidget(placePages_);

    auto* burette = new QGroupBox(QStringLiteral("Burette : soude à 0,01 mol/L, 50 mL"), this);
    auto* buretteLayout = new QFormLayout(burette);
    tapButton_ = new QPushButton(burette);
    tapButton_->setObjectName(QStringLiteral("tapButton"));
    buretteLayout->addRow(tapButton_);
    flowSpin_ = new QDoubleSpinBox(burette);
    flowSpin_->setObjectName(QStringLiteral("flowSpin"));
    flowSpin_->setLocale(QLocale(QLocale::French, QLocale::France));
    flowSpin_->setDecimals(1);
    flowSpin_->setRange(SimulatedBench::kMinSecondsPerMl, SimulatedBench::kMaxSecondsPerMl);
    flowSpin_->setSingleStep(0.5);
    flowSpin_->setSuffix(QStringLiteral(" s"));
    flowSpin_->setKeyboardTracking(false);
    auto* flowLabel = new QLabel(QStringLiteral("&Débit : 1 mL toutes les"), burette);
    flowLabel->setBuddy(flowSpin_);
    buretteLayout->addRow(flowLabel, flowSpin_);
    volumeLabel_ = new QLabel(burette);
    volumeLabel_->setObjectName(QStringLiteral("volumeLabel"));
    QFont large = volumeLabel_->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    volumeLabel_->setFont(large);
    buretteLayout->addRow(volumeLabel_);
    layout->addWidget(burette);

    auto* beaker = new QGroupBox(QStringLiteral("Bécher"), this);
    auto* beakerLayout = new QFormLayout(beaker);
    acidBox_ = new QComboBox(beaker);
    acidBox_->setObjectName(QStringLiteral("acidBox"));
    acidBox_->addItem(QStringLiteral("20 mL d'acide chlorhydrique à 0,01 mol/L"),
                      static_cast<int>(SimulatedBench::Acid::Hydrochloric));
    acidBox_->addItem(QStringLiteral("20 mL d'acide éthanoïque à 0,01 mol/L (pKa 4,76)"),
                      static_cast<int>(SimulatedBench::Acid::Ethanoic));
    auto* acidLabel = new QLabel(QStringLiteral("&Solution :"), beaker);
    acidLabel->setBuddy(acidBox_);
    beakerLayout->addRow(acidLabel, acidBox_);
    waterSpin_ = new QDoubleSpinBox(beaker);
    waterSpin_->setObjectName(QStringLiteral("waterSpin"));
    waterSpin_->setLocale(QLocale(QLocale::French, QLocale::France));
    waterSpin_->setDecimals(0);
    waterSpin_->setRange(0.0, SimulatedBench::kMaxAddedWaterMl);
    waterSpin_->setSingleStep(10.0);
    waterSpin_->setSuffix(QStringLiteral(" mL"));
    // A fresh beaker once the volume is typed, not one per digit.
    waterSpin_->setKeyboardTracking(false);
    auto* waterLabel = new QLabel(QStringLiteral("Eau &ajoutée :"), beaker);
    waterLabel->setBuddy(waterSpin_);
    beakerLayout->addRow(waterLabel, waterSpin_);
    beakerVolumeLabel_ = new QLabel(beaker);
    beakerVolumeLabel_->setObjectName(QStringLiteral("beakerVolumeLabel"));
    beakerLayout->addRow(beakerVolumeLabel_);
    newBeakerButton_ = new QPushButton(QStringLiteral("&Nouveau bécher, burette pleine"), beaker);
    newBeakerButton_->setObjectName(QStringLiteral("newBeakerButton"));
    beakerLayout->addRow(newBeakerButton_);
    layout->addWidget(beaker);
    layout->addStretch();

    refresh_ = new QTimer(this);
    refresh_->setInterval(kRefreshMs);

    connect(probes_, &QButtonGroup::idClicked, this, &BenchWindow::ProbeClicked);
    connect(places_, &QButtonGroup::idClicked, this, &BenchWindow::PlaceClicked);
    connect(cellPlaces_, &QButtonGroup::idClicked, this, &BenchWindow::CellPlaceClicked);
    connect(tapButton_, &QPushButton::clicked, this, &BenchWindow::TapButtonClick);
    connect(flowSpin_, &QDoubleSpinBox::valueChanged, this, &BenchWindow::FlowChanged);
    connect(acidBox_, &QComboBox::activated, this, &BenchWindow::AcidChanged);
    connect(waterSpin_, &QDoubleSpinBox::valueChanged, this, &BenchWindow::WaterChanged);
    connect(newBeakerButton_, &QPushButton::clicked, &bench_, &SimulatedBench::NewBeaker);
    connect(refresh_, &QTimer::timeout, this, &BenchWindow::ShowVolume);
    connect(&bench_, &SimulatedBench::Changed, this, &BenchWindow::ShowBench);
    ShowBench();
}

void BenchWindow::ShowBench()
{
    const int probe = Id(bench_.ProbeInUse());
    if (QAbstractButton* current = probes_->button(probe))
        current->setChecked(true);
    placePages_->setCurrentIndex(probe);
    if (QAbstractButton* current = places_->button(Id(bench_.Place())))
        current->setChecked(true);
    if (QAbstractButton* current = cellPlaces_->button(Id(bench_.CellDippedIn())))
        current->setChecked(true);
    tapButton_->setText(bench_.TapOpen() ? QStringLiteral("&Fermer le robinet") : QStringLiteral("&Ouvrir le robinet"));
    {
        const QSignalBlocker blocker(flowSpin_);
        flowSpin_->setValue(bench_.SecondsPerMl());
    }
    acidBox_->setCurrentIndex(acidBox_->findData(static_cast<int>(bench_.BeakerAcid())));
    {
        const QSignalBlocker blocker(waterSpin_);
        waterSpin_->setValue(bench_.AddedWaterMl());
    }
    beakerVolumeLabel_->setText(
        QStringLiteral("Volume avant titrage : Va = %1 mL")
            .arg(QString::number(bench_.BeakerVolumeMl(), 'g', 6).replace(QLatin1Char('.'), QLatin1Char(','))));
    if (bench_.TapOpen())
        refresh_->start();
    else
        refresh_->stop();
    ShowVolume();
}

void BenchWindow::ShowVolume()
{
    const double volume = bench_.PouredVolumeMl();
    QString text = QStringLiteral("Volume versé : %1 mL").arg(Millilitres(volume));
    if (bench_.BuretteEmpty()) {
        text += QStringLiteral(" (burette vide)");
        refresh_->stop();
    }
    volumeLabel_->setText(text);
}

void BenchWindow::TapButtonClick()
{
    if (bench_.TapOpen())
        bench_.CloseTap();
    else
        bench_.OpenTap();
}

void BenchWindow::FlowChanged(double secondsPerMl)
{
    // The spin box keeps to the bench's range, so this cannot throw.
    bench_.SetSecondsPerMl(secondsPerMl);
}

void BenchWindow::PlaceClicked(int id)
{
    bench_.SetPlace(static_cast<SimulatedBench::ElectrodePlace>(id));
}

void BenchWindow::CellPlaceClicked(int id)
{
    bench_.DipCell(static_cast<SimulatedBench::CellPlace>(id));
}

void BenchWindow::ProbeClicked(int id)
{
    bench_.SetProbe(static_cast<SimulatedBench::Probe>(id));
}

void BenchWindow::AcidChanged(int index)
{
    // Choosing another acid replaces the beaker; choosing the same one again changes nothing.
    const auto acid = static_cast<SimulatedBench::Acid>(acidBox_->itemData(index).toInt());
    if (acid != bench_.BeakerAcid())
        bench_.SetAcid(acid);
}

void BenchWindow::WaterChanged(double volumeMl)
{
    // The spin box keeps to the bench's range, so this cannot throw. The same volume again
    // keeps the beaker.
    if (volumeMl != bench_.AddedWaterMl())
        bench_.SetAddedWaterMl(volumeMl);
}
