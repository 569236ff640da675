#include "analysis/UncertaintyCommands.h"

#include "analysis/UncertaintyDialog.h"
#include "data/TitrationAnalysis.h"
#include "data/TitrationConcentration.h"
#include "support/AppLog.h"
#include "support/ErrorBox.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <QWidget>

#include <cmath>

namespace {

const QString kBuretteKey = QStringLiteral("Burette");
const QString kReadingKey = QStringLiteral("Lecture");
const QString kPipetteKey = QStringLiteral("Pipette");
const QString kCbKey = QStringLiteral("Cb");
const QString kReferenceKey = QStringLiteral("CaReference");

// A kept tolerance, or the default when it is missing or no longer makes sense (a settings file
// edited by hand, or damaged).
double KeptTolerance(const QSettings& settings, const QString& key, double fallback, double most)
{
    bool ok = false;
    const double value = settings.value(key).toDouble(&ok);
    return ok && std::isfinite(value) && value >= 0.0 && value <= most ? value : fallback;
}

}  // namespace

UncertaintyCommands::UncertaintyCommands(QObject* parent)
    : QObject(parent)
    , modalRunner_([](QDialog& dialog) { dialog.exec(); })
    , settings_(ReadKept())
{
}

UncertaintyResults::Settings UncertaintyCommands::ReadKept()
{
    UncertaintyResults::Settings kept;
    QSettings settings;
    settings.beginGroup(kSettingsGroup);
    Uncertainty::Tolerances& t = kept.tolerances;
    using UncertaintyResults::kMostConcentrationMolPerL;
    using UncertaintyResults::kMostVolumeMl;
    t.buretteMl = KeptTolerance(settings, kBuretteKey, t.buretteMl, kMostVolumeMl);
    t.readingMl = KeptTolerance(settings, kReadingKey, t.readingMl, kMostVolumeMl);
    t.pipetteMl = KeptTolerance(settings, kPipetteKey, t.pipetteMl, kMostVolumeMl);
    t.buretteConcentrationMolPerL
        = KeptTolerance(settings, kCbKey, t.buretteConcentrationMolPerL, kMostConcentrationMolPerL);
    bool ok = false;
    const double reference = settings.value(kReferenceKey).toDouble(&ok);
    if (ok && std::isfinite(reference) && reference > 0.0)
        kept.referenceMolPerL = reference;
    return kept;
}

void UncertaintyCommands::Keep(const UncertaintyResults::Settings& kept)
{
    settings_ = kept;
    QSettings settings;
    settings.beginGroup(kSettingsGroup);
    const Uncertainty::Tolerances& t = kept.tolerances;
    settings.setValue(kBuretteKey, t.buretteMl);
    settings.setValue(kReadingKey, t.readingMl);
    settings.setValue(kPipetteKey, t.pipetteMl);
    settings.setValue(kCbKey, t.buretteConcentrationMolPerL);
    if (kept.referenceMolPerL)
        settings.setValue(kReferenceKey, *kept.referenceMolPerL);
    else
        settings.remove(kReferenceKey);
    settings.endGroup();
    settings.sync();
    // The settings are in use all the same; only the next start will not find them.
    if (settings.status() != QSettings::NoError)
        qCWarning(lcApp).noquote() << QStringLiteral("Réglages des incertitudes non gardés");
}

UncertaintyDialog* UncertaintyCommands::Dialog() const
{
    return dialog_;
}

QAction* UncertaintyCommands::AddAction(QMenu* menu, QAction* before)
{
    action_ = new QAction(QStringLiteral("&Incertitudes..."), menu);
    action_->setObjectName(QStringLiteral("Incertitudes1"));
    menu->insertAction(before, action_);
    connect(action_, &QAction::triggered, this, Guarded(this, &UncertaintyCommands::IncertitudesClick));
    return action_;
}

std::vector<UncertaintyResults::Found> UncertaintyCommands::FoundNow() const
{
    using UncertaintyResults::Method;
    std::vector<UncertaintyResults::Found> found;
    QList<QPointF> points;
    if (hooks_.points)
        points = hooks_.points();
    std::optional<double> peak;
    if (hooks_.peakVe)
        peak = hooks_.peakVe();
    else if (const auto found = TitrationAnalysis::FindEquivalence(points))
        peak = found->volumeMl;
    if (peak)
        found.push_back({Method::Peak, *peak, Uncertainty::PeakUncertainty(points, *peak)});
    if (hooks_.tangentVe)
        if (const std::optional<double> ve = hooks_.tangentVe())
            found.push_back({Method::Tangents, *ve, Uncertainty::TangentUncertainty(points, *ve)});
    if (hooks_.conductimetry)
        if (const auto result = hooks_.conductimetry())
            found.push_back(
                {Method::Conductimetry, result->volumeMl, Uncertainty::ConductimetricUncertainty(*result)});
    if (hooks_.model)
        if (const std::optional<ModelFound> model = hooks_.model())
            found.push_back({Method::Model, model->veMl,
                             Uncertainty::ModelUncertainty(model->veMl, model->caMolPerL, model->uCaMolPerL)});
    return found;
}

UncertaintyResults::Entry UncertaintyCommands::Evaluate(const UncertaintyResults::Found& found,
                                                        const UncertaintyResults::Settings& settings,
                                                        bool monteCarlo) const
{
    std::optional<double> cb;
    std::optional<double> vaMl;
    const HeaderValues values = hooks_.quantities ? hooks_.quantities() : HeaderValues();
    // The start-up values are nobody's measurement: no concentration until they were confirmed.
    if (values.quantitiesConfirmed && (!hooks_.oneSpecies || hooks_.oneSpecies())) {
        cb = TitrationConcentration::ReadQuantity(values.buretteConcentration);
        if (const std::optional<double> vaL = TitrationConcentration::ReadQuantity(values.beakerVolume))
            vaMl = *vaL * 1000.0;
    }
    return UncertaintyResults::Evaluate(found, cb, vaMl, settings, monteCarlo);
}

std::vector<UncertaintyResults::Entry> UncertaintyCommands::Entries(bool monteCarlo) const
{
    std::vector<UncertaintyResults::Entry> entries;
    for (const UncertaintyResults::Found& found : FoundNow())
        entries.push_back(Evaluate(found, settings_, monteCarlo));
    return entries;
}

UncertaintyResults::Entry UncertaintyCommands::PeakEntry(double peakVeMl) const
{
    const QList<QPointF> points = hooks_.points ? hooks_.points() : QList<QPointF>();
    const UncertaintyResults::Found peak{UncertaintyResults::Method::Peak, peakVeMl,
                                        Uncertainty::PeakUncertainty(points, peakVeMl)};
    return Evaluate(peak, settings_, false);
}

QString UncertaintyCommands::StatusSuffix(double peakVeMl) const
{
    return UncertaintyResults::StatusSuffix(PeakEntry(peakVeMl));
}

QString UncertaintyCommands::ClipboardLines() const
{
    QString text;
    for (const UncertaintyResults::Entry& entry : Entries(true))
        text += UncertaintyResults::ClipboardLines(entry);
    return text;
}

QStringList UncertaintyCommands::ReportLines() const
{
    QStringList lines;
    for (const UncertaintyResults::Entry& entry : Entries(true))
        lines += UncertaintyResults::ReportLines(entry);
    return lines;
}

void UncertaintyCommands::IncertitudesClick()
{
    if (!dialog_) {
        QWidget* owner = hooks_.dialogOwner ? hooks_.dialogOwner() : nullptr;
        if (!owner)
            return;  // a dialog without a window would outlive every owner
        dialog_ = new UncertaintyDialog(owner);
    }
    // An unreadable cell is reported before the dialog shows.
    const std::vector<UncertaintyResults::Found> found = FoundNow();
    dialog_->Open(settings_, [this, found](const UncertaintyResults::Settings& typed) {
        std::vector<UncertaintyResults::Entry> entries;
        for (const UncertaintyResults::Found& f : found)
            entries.push_back(Evaluate(f, typed, true));
        return entries;
    });
    modalRunner_(*dialog_);
    if (dialog_->result() != QDialog::Accepted)
        return;
    if (const std::optional<UncertaintyResults::Settings> typed = dialog_->Typed())
        Keep(*typed);
}
