#pragma once

#include "data/ConductimetricAnalysis.h"
#include "data/HeaderValues.h"
#include "data/UncertaintyResults.h"

#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QAction;
class QDialog;
class QMenu;
class QWidget;
class UncertaintyDialog;

// "&Incertitudes...": the tolerances and the reference Ca, kept in the settings for the next
// start, and the uncertainties of every way Ve was found on the current points (the
// derivative's peak, the tangents when they ran, the conductimetric intersection when that
// analysis stands, the fitted model) for the status bar, the copy, the spreadsheet file and
// the lab report. The arithmetic is Uncertainty's; this class gathers the methods' results
// through hooks, so it knows neither the chart nor the other commands.
class UncertaintyCommands : public QObject {
    Q_OBJECT

public:
    // The model's fitted Ca with its standard uncertainty, and its Ve.
    struct ModelFound {
        double veMl = 0.0;
        double caMolPerL = 0.0;
        double uCaMolPerL = 0.0;
    };
    // Each unset hook means that way of finding Ve is not there.
    struct Hooks {
        std::function<HeaderValues()> quantities;
        // The record's points in volume mode (mL, pH); may throw at an unreadable cell.
        std::function<QList<QPointF>()> points;
        // The derivative's peak of the first equivalence, the one Ca follows from.
        std::function<std::optional<double>()> peakVe;
        // False for a mixture, whose concentrations come from two steps: u(Ve) only then.
        std::function<bool()> oneSpecies;
        std::function<std::optional<double>()> tangentVe;
        std::function<std::optional<ModelFound>()> model;
        std::function<std::optional<ConductimetricAnalysis::Result>()> conductimetry;
        // The window the dialog belongs to (it is created on first use, parented to it).
        std::function<QWidget*()> dialogOwner;
    };
    using ModalRunner = std::function<void(QDialog&)>;

    static inline const QString kSettingsGroup = QStringLiteral("Incertitudes");

    // Reads the kept settings (the defaults for any missing or unreadable one).
    explicit UncertaintyCommands(QObject* parent = nullptr);

    void SetHooks(Hooks hooks) { hooks_ = std::move(hooks); }
    // Only the conductimetric analysis, when the window has one.
    void SetConductimetry(std::function<std::optional<ConductimetricAnalysis::Result>()> hook)
    {
        hooks_.conductimetry = std::move(hook);
    }
    void SetModalRunner(ModalRunner runner) { modalRunner_ = std::move(runner); }

    // Puts "&Incertitudes..." into `menu` before `before` (at the end when null).
    QAction* AddAction(QMenu* menu, QAction* before);
    QAction* Action() const { return action_; }

    const UncertaintyResults::Settings& Settings() const { return settings_; }
    // Keeps `settings` for the rest of the session and the next start.
    void Keep(const UncertaintyResults::Settings& settings);
    static UncertaintyResults::Settings ReadKept();

    // Every way Ve was found on the current points, in the results' order.
    std::vector<UncertaintyResults::Found> FoundNow() const;
    std::vector<UncertaintyResults::Entry> Entries(bool monteCarlo) const;

    // The derivative's peak found at `peakVeMl`, evaluated with the kept settings (no Monte-Carlo).
    UncertaintyResults::Entry PeakEntry(double peakVeMl) const;
    // What the status of the equivalence found at `peakVeMl` gains.
    QString StatusSuffix(double peakVeMl) const;
    // Every method's lines for "Copier les résultats" and the spreadsheet file; empty without
    // any equivalence.
    QString ClipboardLines() const;
    QStringList ReportLines() const;

    // Null until "&Incertitudes..." first ran.
    UncertaintyDialog* Dialog() const;

public slots:
    void IncertitudesClick();

private:
    UncertaintyResults::Entry Evaluate(const UncertaintyResults::Found& found,
                                       const UncertaintyResults::Settings& settings, bool monteCarlo) const;

    Hooks hooks_;
    ModalRunner modalRunner_;
    UncertaintyResults::Settings settings_;
    QAction* action_ = nullptr;
    QPointer<UncertaintyDialog> dialog_;
};
