#include "analysis/ModelDialog.h"

#include "data/NumberText.h"
#include "support/ErrorBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

using TitrationChemistry::Reagent;
using TitrationChemistry::Species;

// Combo box rows, in this order.
constexpr Species kSpecies[] = {Species::StrongAcid, Species::WeakAcid, Species::StrongBase, Species::WeakBase};
constexpr Reagent kReagents[] = {Reagent::StrongBase, Reagent::StrongAcid};

QString Number(double value)
{
    return NumberText::General(value);
}

// Reads ',' as the program writes, and '.' as a student may type.
bool ReadNumber(const QLineEdit* edit, double& value)
{
    const QString text = edit->text().trimmed();
    return NumberText::TryParse(text, value) || NumberText::TryParse(text, value, QLatin1Char('.'));
}

QLineEdit* Edit(const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QCheckBox* Check(const QString& text, const char* name, bool checked, QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    box->setChecked(checked);
    return box;
}

}  // namespace

ModelDialog::ModelDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , species_(new QComboBox(this))
    , reagent_(new QComboBox(this))
    , pKaLabel_(new QLabel(this))
    , pKa_(Edit("PKaEdit", this))
    , beaker_(Edit("BeakerEdit", this))
    , burette_(Edit("BuretteEdit", this))
    , volume_(Edit("VolumeEdit", this))
    , offset_(Edit("OffsetEdit", this))
    , adjustBeaker_(Check(QStringLiteral("&Ca"), "AdjustBeaker", true, this))
    , adjustPKa_(Check(QStringLiteral("&pKa"), "AdjustPKa", true, this))
    , adjustOffset_(Check(QStringLiteral("décalage du p&H"), "AdjustOffset", false, this))
    , tracer_(new QPushButton(QStringLiteral("&Tracer"), this))
    , ajuster_(new QPushButton(QStringLiteral("&Ajuster"), this))
    , result_(new QLabel(this))
{
    setObjectName(QStringLiteral("ModelDialog"));
    setWindowTitle(QStringLiteral("Quorin : Modélisation"));
    setModal(true);

    species_->setObjectName(QStringLiteral("SpeciesBox"));
    species_->addItems({QStringLiteral("acide fort"), QStringLiteral("acide faible"), QStringLiteral("base forte"),
                        QStringLiteral("base faible")});
    reagent_->setObjectName(QStringLiteral("ReagentBox"));
    reagent_->addItems({QStringLiteral("base forte"), QStringLiteral("acide fort")});
    tracer_->setObjectName(QStringLiteral("TracerButton"));
    ajuster_->setObjectName(QStringLiteral("AjusterButton"));
    result_->setObjectName(QStringLiteral("ResultLabel"));
    result_->setWordWrap(true);
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    result_->setMinimumHeight(3 * result_->fontMetrics().height());
    result_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* form = new QFormLayout;
    auto caption = [this](const QString& text, QWidget* buddy) {
        auto* label = new QLabel(text, this);
        label->setBuddy(buddy);
        return label;
    };
    form->addRow(caption(QStringLiteral("&Espèce titrée :"), species_), species_);
    pKaLabel_->setBuddy(pKa_);
    form->addRow(pKaLabel_, pKa_);
    form->addRow(caption(QStringLiteral("&Réactif titrant :"), reagent_), reagent_);
    form->addRow(caption(QStringLiteral("Ca, &bécher (mol/L) :"), beaker_), beaker_);
    form->addRow(caption(QStringLiteral("Cb, b&urette (mol/L) :"), burette_), burette_);
    form->addRow(caption(QStringLiteral("Va, &volume (mL) :"), volume_), volume_);
    form->addRow(caption(QStringLiteral("&Décalage du pH :"), offset_), offset_);

    auto* adjusted = new QGroupBox(QStringLiteral("Paramètres ajustés"), this);
    auto* adjustedRow = new QHBoxLayout(adjusted);
    adjustedRow->addWidget(adjustBeaker_);
    adjustedRow->addWidget(adjustPKa_);
    adjustedRow->addWidget(adjustOffset_);

    auto* fermer = new QPushButton(QStringLiteral("&Fermer"), this);
    fermer->setObjectName(QStringLiteral("FermerButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(tracer_);
    buttons->addWidget(ajuster_);
    buttons->addWidget(fermer);
    // Enter fits; the dialog closes only on "&Fermer" or Escape.
    ajuster_->setDefault(true);
    tracer_->setAutoDefault(false);
    fermer->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(adjusted);
    layout->addWidget(result_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    result_->setFixedWidth(330);

    connect(species_, &QComboBox::currentIndexChanged, this, Guarded(this, &ModelDialog::SpeciesChanged));
    connect(tracer_, &QPushButton::clicked, this, &ModelDialog::TracerClicked);
    connect(ajuster_, &QPushButton::clicked, this, &ModelDialog::AjusterClicked);
    connect(fermer, &QPushButton::clicked, this, &QDialog::reject);

    beaker_->setText(QStringLiteral("0,01"));
    burette_->setText(QStringLiteral("0,01"));
    volume_->setText(QStringLiteral("20"));
    offset_->setText(QStringLiteral("0"));
    species_->setCurrentIndex(0);
    SpeciesChanged(0);
    ShowResult(QStringLiteral("« Tracer » dessine le modèle sur la courbe ; « Ajuster » cherche les valeurs "
                              "cochées qui décrivent le mieux les points mesurés."));
}

void ModelDialog::SpeciesChanged(int index)
{
    const Species species = kSpecies[std::clamp(index, 0, 3)];
    const bool weak = TitrationChemistry::IsWeak(species);
    pKaLabel_->setText(species == Species::WeakBase ? QStringLiteral("p&Ka de l'acide conjugué :")
                                                    : QStringLiteral("p&Ka du couple :"));
    pKa_->setEnabled(weak);
    adjustPKa_->setEnabled(weak);
    if (species == Species::WeakAcid)
        pKa_->setText(Number(TitrationChemistry::kEthanoicPKa));
    else if (species == Species::WeakBase)
        pKa_->setText(Number(TitrationChemistry::kAmmoniumPKa));
    // An acid is titrated by a strong base, a base by a strong acid.
    reagent_->setCurrentIndex(TitrationChemistry::IsAcid(species) ? 0 : 1);
}

void ModelDialog::FillQuantities(const HeaderValues& values)
{
    const struct {
        const QString& text;
        QLineEdit* edit;
        double scale;
    } fields[] = {
        {values.beakerConcentration, beaker_, 1.0},
        {values.buretteConcentration, burette_, 1.0},
        {values.beakerVolume, volume_, 1000.0},  // L to mL
    };
    for (const auto& field : fields) {
        double value = 0.0;
        const QString text = field.text.trimmed();
        if ((NumberText::TryParse(text, value) || NumberText::TryParse(text, value, QLatin1Char('.'))) && value > 0.0
            && std::isfinite(value))
            field.edit->setText(Number(value * field.scale));
    }
}

std::optional<TitrationFit::Model> ModelDialog::ReadModel(QString& error) const
{
    TitrationFit::Model model;
    TitrationChemistry::Titration& t = model.titration;
    t.species = kSpecies[std::clamp(species_->currentIndex(), 0, 3)];
    t.reagent = kReagents[std::clamp(reagent_->currentIndex(), 0, 1)];
    const bool weak = TitrationChemistry::IsWeak(t.species);
    const struct {
        const QLineEdit* edit;
        double* value;
        QString name;
        double low;
        double high;
        bool positive;  // the low end excluded
        QString range;
    } fields[] = {
        {beaker_, &t.beakerMolPerL, QStringLiteral("Ca"), 0.0, 10.0, true, QStringLiteral("plus de 0 et au plus 10 mol/L")},
        {burette_, &t.buretteMolPerL, QStringLiteral("Cb"), 0.0, 10.0, true, QStringLiteral("plus de 0 et au plus 10 mol/L")},
        {volume_, &t.beakerVolumeMl, QStringLiteral("Va"), 0.0, 10000.0, true, QStringLiteral("plus de 0 et au plus 10 000 mL")},
        {weak ? pKa_ : nullptr, &t.pKa, QStringLiteral("pKa"), -1.0, 15.0, false, QStringLiteral("de -1 à 15")},
        {offset_, &model.pHOffset, QStringLiteral("le décalage du pH"), -3.0, 3.0, false, QStringLiteral("de -3 à 3")},
    };
    for (const auto& field : fields) {
        if (!field.edit)
            continue;
        double value = 0.0;
        const bool read = ReadNumber(field.edit, value);
        const bool inRange = value <= field.high && (field.positive ? value > field.low : value >= field.low);
        if (!read || !inRange) {
            error = QStringLiteral("« %1 » ne convient pas pour %2 : un nombre de %3 est attendu.")
                        .arg(field.edit->text().trimmed(), field.name, field.range);
            return std::nullopt;
        }
        *field.value = value;
    }
    return model;
}

TitrationFit::Adjusted ModelDialog::AdjustedParameters() const
{
    TitrationFit::Adjusted adjusted;
    adjusted.beakerMolPerL = adjustBeaker_->isChecked();
    adjusted.pKa = adjustPKa_->isChecked() && adjustPKa_->isEnabled();
    adjusted.pHOffset = adjustOffset_->isChecked();
    return adjusted;
}

void ModelDialog::ShowModel(const TitrationFit::Model& model)
{
    // Four significant digits: the fit's precision, and what the student copies.
    auto rounded = [](double value, int digits) {
        return QString::number(value, 'g', digits).replace(QLatin1Char('.'), QLatin1Char(','));
    };
    beaker_->setText(rounded(model.titration.beakerMolPerL, 4));
    if (TitrationChemistry::IsWeak(model.titration.species))
        pKa_->setText(NumberText::Fixed(model.titration.pKa, 15, 2));
    offset_->setText(NumberText::Fixed(model.pHOffset, 15, 2));
}

void ModelDialog::ShowResult(const QString& text, bool refused)
{
    result_->setText(text);
    result_->setStyleSheet(refused ? QStringLiteral("color: #b00000;") : QString());
}

void ModelDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!keptInView_)
        return;
    const QRect frame = frameGeometry();
    const QPoint bottomLeft = keptInView_->mapToGlobal(QPoint(0, keptInView_->height()));
    QPoint at(bottomLeft.x() - frame.width(), bottomLeft.y() - frame.height());
    if (const QScreen* screen = keptInView_->screen()) {
        const QRect room = screen->availableGeometry();
        at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - frame.width())));
        at.setY(std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() - frame.height())));
    }
    move(at);
}
