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
#include <QTimer>
#include <QVBoxLayout>

namespace {

QString Millilitres(double volume)
{
    return QString::number(volume, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(','));
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

    auto* electrode = new QGroupBox(QStringLiteral("Électrode plongée dans"), this);
    auto* electrodeLayout = new QVBoxLayout(electrode);
    places_ = new QButtonGroup(this);
    const struct {
        SimulatedBench::ElectrodePlace place;
        const char* name;
        QString text;
    } placeButtons[] = {
        {SimulatedBench::ElectrodePlace::Buffer4, "buffer4Radio", QStringLiteral("le tampon pH &4")},
        {SimulatedBench::ElectrodePlace::Buffer7, "buffer7Radio", QStringLiteral("le tampon pH &7")},
        {SimulatedBench::ElectrodePlace::Buffer10, "buffer10Radio", QStringLiteral("le tampon pH 1&0")},
        {SimulatedBench::ElectrodePlace::Beaker, "beakerRadio", QStringLiteral("le &bécher à titrer")},
    };
    for (const auto& entry : placeButtons) {
        auto* radio = new QRadioButton(entry.text, electrode);
        radio->setObjectName(QLatin1String(entry.name));
        places_->addButton(radio, static_cast<int>(entry.place));
        electrodeLayout->addWidget(radio);
    }
    layout->addWidget(electrode);

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
    newBeakerButton_ = new QPushButton(QStringLiteral("&Nouveau bécher, burette pleine"), beaker);
    newBeakerButton_->setObjectName(QStringLiteral("newBeakerButton"));
    beakerLayout->addRow(newBeakerButton_);
    layout->addWidget(beaker);
    layout->addStretch();

    refresh_ = new QTimer(this);
    refresh_->setInterval(kRefreshMs);

    connect(places_, &QButtonGroup::idClicked, this, &BenchWindow::PlaceClicked);
    connect(tapButton_, &QPushButton::clicked, this, &BenchWindow::TapButtonClick);
    connect(flowSpin_, &QDoubleSpinBox::valueChanged, this, &BenchWindow::FlowChanged);
    connect(acidBox_, &QComboBox::activated, this, &BenchWindow::AcidChanged);
    connect(newBeakerButton_, &QPushButton::clicked, &bench_, &SimulatedBench::NewBeaker);
    connect(refresh_, &QTimer::timeout, this, &BenchWindow::ShowVolume);
    connect(&bench_, &SimulatedBench::Changed, this, &BenchWindow::ShowBench);
    ShowBench();
}

void BenchWindow::ShowBench()
{
    if (QAbstractButton* current = places_->button(static_cast<int>(bench_.Place())))
        current->setChecked(true);
    tapButton_->setText(bench_.TapOpen() ? QStringLiteral("&Fermer le robinet") : QStringLiteral("&Ouvrir le robinet"));
    {
        const QSignalBlocker blocker(flowSpin_);
        flowSpin_->setValue(bench_.SecondsPerMl());
    }
    acidBox_->setCurrentIndex(acidBox_->findData(static_cast<int>(bench_.BeakerAcid())));
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

void BenchWindow::AcidChanged(int index)
{
    // Choosing another acid replaces the beaker; choosing the same one again changes nothing.
    const auto acid = static_cast<SimulatedBench::Acid>(acidBox_->itemData(index).toInt());
    if (acid != bench_.BeakerAcid())
        bench_.SetAcid(acid);
}
