#include "analysis/ModelDialog.h"

#include "data/NumberText.h"
#include "support/ErrorBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

using MixtureTitration::Reagent;

constexpr Reagent kReagents[] = {Reagent::StrongBase, Reagent::StrongAcid};

// A row of the species boxes: a couple and the form the beaker holds it in.
struct SpeciesRow {
    QString caption;
    AcidBaseCouple couple;
    bool acidForm = true;
};

const std::vector<SpeciesRow>& SpeciesRows()
{
    static const std::vector<SpeciesRow> rows = [] {
        using namespace AcidBaseCouples;
        // The four of the first dialog keep their places; generic weak species of several
        // acidities start from typical pKa, the student's to change.
        std::vector<SpeciesRow> list = {
            {QStringLiteral("acide fort"), StrongAcid(), true},
            {QStringLiteral("acide faible"), WeakAcid({TitrationChemistry::kEthanoicPKa}), true},
            {QStringLiteral("base forte"), StrongBase(), false},
            {QStringLiteral("base faible"), WeakBase({TitrationChemistry::kAmmoniumPKa}), false},
            {QStringLiteral("diacide faible"), WeakAcid({3.0, 7.0}), true},
            {QStringLiteral("triacide faible"), WeakAcid({2.5, 7.0, 11.5}), true},
            {QStringLiteral("dibase faible"), WeakBase({6.5, 10.5}), false},
            {QStringLiteral("tribase faible"), WeakBase({2.5, 7.0, 11.5}), false},
        };
        const std::vector<AcidBaseCouple> common = Common();
        for (const AcidBaseCouple& c : common)
            list.push_back({c.acidName, c, true});
        for (const AcidBaseCouple& c : common)
            list.push_back({c.baseName, c, false});
        return list;
    }();
    return rows;
}

QString Number(double value)
{
    return NumberText::General(value);
}

bool ReadText(const QString& typed, double& value)
{
    const QString text = typed.trimmed();
    return NumberText::TryParse(text, value) || NumberText::TryParse(text, value, QLatin1Char('.'));
}

// Reads ',' as the program writes, and '.' as a student may type.
bool ReadNumber(const QLineEdit* edit, double& value)
{
    return ReadText(edit->text(), value);
}

QString Rounded(double value, int digits)
{
    return QString::number(value, 'g', digits).replace(QLatin1Char('.'), QLatin1Char(','));
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

QComboBox* SpeciesBox(const char* name, bool withNone, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    if (withNone)
        box->addItem(QStringLiteral("(aucune)"));
    for (const SpeciesRow& row : SpeciesRows())
        box->addItem(row.caption);
    box->setMaxVisibleItems(16);
    return box;
}

// The species row of a component, or -1.
int RowOf(const MixtureTitration::Component& c)
{
    const bool acidForm = c.protons == c.couple.Acidities();
    if (!acidForm && c.protons != 0)
        return -1;
    const std::vector<SpeciesRow>& rows = SpeciesRows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const AcidBaseCouple& r = rows[i].couple;
        if (rows[i].acidForm == acidForm && r.acidName == c.couple.acidName && r.baseName == c.couple.baseName
            && r.Acidities() == c.couple.Acidities() && r.Strong() == c.couple.Strong())
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

ModelDialog::ModelDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , species_(::SpeciesBox("SpeciesBox", false, this))
    , species2_(::SpeciesBox("Species2Box", true, this))
    , reagent_(new QComboBox(this))
    , beaker_(Edit("BeakerEdit", this))
    , beaker2_(Edit("Beaker2Edit", this))
    , burette_(Edit("BuretteEdit", this))
    , volume_(Edit("VolumeEdit", this))
    , offset_(Edit("OffsetEdit", this))
    , couples_(new QTableWidget(0, 2, this))
    , adjustBeaker_(Check(QStringLiteral("&Ca"), "AdjustBeaker", true, this))
    , adjustBeaker2_(Check(QStringLiteral("C2"), "AdjustBeaker2", true, this))
    , adjustOffset_(Check(QStringLiteral("décalage du p&H"), "AdjustOffset", false, this))
    , tracer_(new QPushButton(QStringLiteral("&Tracer"), this))
    , ajuster_(new QPushButton(QStringLiteral("&Ajuster"), this))
    , result_(new QLabel(this))
{
    setObjectName(QStringLiteral("ModelDialog"));
    setWindowTitle(QStringLiteral("Quorin : Modélisation"));
    setModal(true);

    reagent_->setObjectName(QStringLiteral("ReagentBox"));
    reagent_->addItems({QStringLiteral("base forte"), QStringLiteral("acide fort")});
    couples_->setObjectName(QStringLiteral("CouplesTable"));
    couples_->setHorizontalHeaderLabels({QStringLiteral("Couple"), QStringLiteral("pKa")});
    couples_->verticalHeader()->hide();
    couples_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    couples_->setSelectionMode(QAbstractItemView::SingleSelection);
    couples_->setFixedHeight(couples_->horizontalHeader()->sizeHint().height()
                             + 4 * couples_->verticalHeader()->defaultSectionSize() + 4);
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
    form->addRow(caption(QStringLiteral("Ca, &bécher (mol/L) :"), beaker_), beaker_);
    form->addRow(caption(QStringLiteral("&Seconde espèce (mélange) :"), species2_), species2_);
    form->addRow(caption(QStringLiteral("C&2, bécher (mol/L) :"), beaker2_), beaker2_);
    form->addRow(caption(QStringLiteral("&Réactif titrant :"), reagent_), reagent_);
    form->addRow(caption(QStringLiteral("Cb, b&urette (mol/L) :"), burette_), burette_);
    form->addRow(caption(QStringLiteral("Va, &volume (mL) :"), volume_), volume_);
    form->addRow(caption(QStringLiteral("&Décalage du pH :"), offset_), offset_);

    auto* adjusted = new QGroupBox(QStringLiteral("Paramètres ajustés"), this);
    auto* adjustedRow = new QHBoxLayout(adjusted);
    adjustedRow->addWidget(adjustBeaker_);
    adjustedRow->addWidget(adjustBeaker2_);
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
    layout->addWidget(caption(QStringLiteral("C&ouples (pKa à 25 °C, modifiables ; cochés : ajustés) :"), couples_));
    layout->addWidget(couples_);
    layout->addWidget(adjusted);
    layout->addWidget(result_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    result_->setFixedWidth(360);

    connect(species_, &QComboBox::currentIndexChanged, this, Guarded(this, &ModelDialog::SpeciesChanged));
    connect(species2_, &QComboBox::currentIndexChanged, this, Guarded(this, &ModelDialog::SpeciesChanged));
    connect(tracer_, &QPushButton::clicked, this, &ModelDialog::TracerClicked);
    connect(ajuster_, &QPushButton::clicked, this, &ModelDialog::AjusterClicked);
    connect(fermer, &QPushButton::clicked, this, &QDialog::reject);

    beaker_->setText(QStringLiteral("0,01"));
    beaker2_->setText(QStringLiteral("0,01"));
    burette_->setText(QStringLiteral("0,01"));
    volume_->setText(QStringLiteral("20"));
    offset_->setText(QStringLiteral("0"));
    species_->setCurrentIndex(0);
    SpeciesChanged();
    ShowResult(QStringLiteral("« Tracer » dessine le modèle sur la courbe ; « Ajuster » cherche les valeurs "
                              "cochées qui décrivent le mieux les points mesurés."));
}

void ModelDialog::SpeciesChanged()
{
    const std::vector<SpeciesRow>& rows = SpeciesRows();
    const SpeciesRow& first = rows[static_cast<std::size_t>(std::clamp<int>(species_->currentIndex(), 0, int(rows.size()) - 1))];
    std::vector<AcidBaseCouple> couples{first.couple};
    const bool mixture = species2_->currentIndex() > 0;
    if (mixture)
        couples.push_back(rows[static_cast<std::size_t>(std::min<int>(species2_->currentIndex() - 1, int(rows.size()) - 1))].couple);
    beaker2_->setEnabled(mixture);
    adjustBeaker2_->setEnabled(mixture);
    FillCouples(couples);
    // An acid is titrated by a strong base, a base by a strong acid.
    reagent_->setCurrentIndex(first.acidForm ? 0 : 1);
}

void ModelDialog::FillCouples(const std::vector<AcidBaseCouple>& couples)
{
    couples_->setRowCount(0);
    rows_.clear();
    for (std::size_t k = 0; k < couples.size(); ++k) {
        const AcidBaseCouple& c = couples[k];
        for (std::size_t a = 0; a < c.pKa.size(); ++a) {
            const int row = couples_->rowCount();
            couples_->insertRow(row);
            auto* name = new QTableWidgetItem(AcidBaseCouples::StepName(c, static_cast<int>(a)));
            name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            name->setCheckState(Qt::Checked);
            couples_->setItem(row, 0, name);
            couples_->setItem(row, 1, new QTableWidgetItem(NumberText::Fixed(c.pKa[a], 15, 2)));
            rows_.push_back({MixtureFit::Parameter::Kind::PKa, static_cast<int>(k), static_cast<int>(a)});
        }
    }
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
        if (ReadText(field.text, value) && value > 0.0 && std::isfinite(value))
            field.edit->setText(Number(value * field.scale));
    }
}

std::optional<MixtureFit::Model> ModelDialog::ReadModel(QString& error) const
{
    const std::vector<SpeciesRow>& rows = SpeciesRows();
    std::vector<SpeciesRow> chosen{rows[static_cast<std::size_t>(std::clamp<int>(species_->currentIndex(), 0, int(rows.size()) - 1))]};
    if (species2_->currentIndex() > 0)
        chosen.push_back(rows[static_cast<std::size_t>(std::min<int>(species2_->currentIndex() - 1, int(rows.size()) - 1))]);
    if (chosen.size() == 2 && chosen[0].acidForm != chosen[1].acidForm) {
        error = QStringLiteral("Un mélange réunit deux acides ou deux bases : choisissez deux espèces de la même "
                               "sorte.");
        return std::nullopt;
    }
    MixtureFit::Model model;
    double concentrations[2] = {0.0, 0.0};
    MixtureTitration::Titration& t = model.titration;
    t.reagent = kReagents[std::clamp(reagent_->currentIndex(), 0, 1)];
    const QString molar = QStringLiteral("plus de 0 et au plus 10 mol/L");
    const struct {
        const QLineEdit* edit;
        double* value;
        QString name;
        double low;
        double high;
        bool positive;  // the low end excluded
        QString range;
    } fields[] = {
        {beaker_, &concentrations[0], QStringLiteral("Ca"), 0.0, 10.0, true, molar},
        {chosen.size() == 2 ? beaker2_ : nullptr, &concentrations[1], QStringLiteral("C2"), 0.0, 10.0, true, molar},
        {burette_, &t.buretteMolPerL, QStringLiteral("Cb"), 0.0, 10.0, true, molar},
        {volume_, &t.beakerVolumeMl, QStringLiteral("Va"), 0.0, 10000.0, true, QStringLiteral("plus de 0 et au plus 10 000 mL")},
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
    std::vector<AcidBaseCouple> couples;
    for (const SpeciesRow& row : chosen)
        couples.push_back(row.couple);
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        AcidBaseCouple& c = couples[static_cast<std::size_t>(rows_[r].component)];
        const QString typed = couples_->item(static_cast<int>(r), 1)->text().trimmed();
        double value = 0.0;
        if (!ReadText(typed, value) || value < -1.0 || value > 15.0) {
            error = QStringLiteral("« %1 » ne convient pas pour le pKa de %2 : un nombre de -1 à 15 est attendu.")
                        .arg(typed, AcidBaseCouples::StepName(c, rows_[r].acidity));
            return std::nullopt;
        }
        c.pKa[static_cast<std::size_t>(rows_[r].acidity)] = value;
    }
    for (std::size_t k = 0; k < chosen.size(); ++k)
        t.beaker.push_back(chosen[k].acidForm ? MixtureTitration::Acid(couples[k], concentrations[k])
                                              : MixtureTitration::Base(couples[k], concentrations[k]));
    const QString why = MixtureTitration::Check(t);
    if (!why.isEmpty()) {
        error = why;
        return std::nullopt;
    }
    return model;
}

std::vector<MixtureFit::Parameter> ModelDialog::AdjustedParameters() const
{
    using Kind = MixtureFit::Parameter::Kind;
    std::vector<MixtureFit::Parameter> adjusted;
    if (adjustBeaker_->isChecked())
        adjusted.push_back({Kind::Concentration, 0, 0});
    if (adjustBeaker2_->isChecked() && adjustBeaker2_->isEnabled())
        adjusted.push_back({Kind::Concentration, 1, 0});
    for (std::size_t r = 0; r < rows_.size(); ++r)
        if (couples_->item(static_cast<int>(r), 0)->checkState() == Qt::Checked)
            adjusted.push_back(rows_[r]);
    if (adjustOffset_->isChecked())
        adjusted.push_back({Kind::PHOffset, 0, 0});
    return adjusted;
}

bool ModelDialog::SelectSpecies(const MixtureFit::Model& model)
{
    const std::vector<MixtureTitration::Component>& beaker = model.titration.beaker;
    const int first = beaker.empty() ? -1 : RowOf(beaker[0]);
    const int second = beaker.size() < 2 ? -1 : RowOf(beaker[1]);
    if (first < 0 || (beaker.size() >= 2 && second < 0))
        return false;
    species_->setCurrentIndex(first);
    species2_->setCurrentIndex(second + 1);
    reagent_->setCurrentIndex(model.titration.reagent == Reagent::StrongBase ? 0 : 1);
    return true;
}

void ModelDialog::ShowModel(const MixtureFit::Model& model, bool withSpecies)
{
    if (withSpecies && !SelectSpecies(model))
        return;
    const std::vector<MixtureTitration::Component>& beaker = model.titration.beaker;
    // Four significant digits: the fit's precision, and what the student copies.
    if (!beaker.empty())
        beaker_->setText(Rounded(beaker[0].molPerL, 4));
    if (beaker.size() >= 2)
        beaker2_->setText(Rounded(beaker[1].molPerL, 4));
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        const auto component = static_cast<std::size_t>(rows_[r].component);
        const auto acidity = static_cast<std::size_t>(rows_[r].acidity);
        if (component < beaker.size() && acidity < beaker[component].couple.pKa.size())
            couples_->item(static_cast<int>(r), 1)->setText(NumberText::Fixed(beaker[component].couple.pKa[acidity], 15, 2));
    }
    offset_->setText(NumberText::Fixed(model.pHOffset, 15, 2));
}

void ModelDialog::ShowSuggested(const MixtureFit::Model& model)
{
    const QString ca = beaker_->text();
    ShowModel(model, true);
    beaker_->setText(ca);
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
