#pragma once

#include "data/Uncertainty.h"

#include <QString>
#include <QStringList>

#include <optional>

// The uncertainties of one way of finding Ve, as the results show them: the budget that follows
// from the settings of the uncertainties dialog and from Cb and Va, u(Ca) by propagation and by
// Monte-Carlo, the gap to the reference, and their texts for the status bar, the clipboard (and
// the spreadsheet file) and the lab report.
namespace UncertaintyResults {

// The ways Ve is found, in the order the results list them.
enum class Method { Peak, Tangents, Conductimetry, Model };

// "pic de la dérivée", "méthode des tangentes", "conductimétrie (intersection)", "modèle".
QString MethodName(Method method);

// What the dialog sets and the next start finds again.
struct Settings {
    Uncertainty::Tolerances tolerances;
    std::optional<double> referenceMolPerL;  // the expected Ca, when the teacher gives one
};

// One method's Ve and its own standard uncertainty.
struct Found {
    Method method = Method::Peak;
    double veMl = 0.0;
    Uncertainty::Component component;
};

struct Entry {
    Method method = Method::Peak;
    Uncertainty::Budget budget;
    bool concentration = false;  // Cb and Va known: u(Ca) was worked out
    Uncertainty::Propagation propagation;
    std::optional<Uncertainty::MonteCarloResult> monteCarlo;
    std::optional<Uncertainty::Comparison> comparison;
};

// Cb in mol/L and Va in mL, each when known; the Monte-Carlo is drawn only when asked (it costs
// a few milliseconds), always with the same seed so that the same inputs give the same figures.
Entry Evaluate(const Found& found, std::optional<double> cbMolPerL, std::optional<double> vaMl,
               const Settings& settings, bool monteCarlo);

// " ; Ve = (20,03 ± 0,07) mL ; Ca = (9,95 ± 0,08) × 10⁻³ mol/L ; z = 0,50 (compatible)", the
// parts known.
QString StatusSuffix(const Entry& entry);
// "Incertitudes selon la méthode" TAB the method's name CR, "Ve en mL" TAB Ve CR, then
// Uncertainty::ClipboardLines; only the first two and the four lines of u(Ve) without Cb and Va.
// Windows-1252 text.
QString ClipboardLines(const Entry& entry);
// The lab report's lines: "Incertitudes (pic de la dérivée) : Ve = … ; Ca = …", the Monte-Carlo's
// and the reference's when there.
QStringList ReportLines(const Entry& entry);
// The dialog's detail: each part of u(Ve), u(Ve), Ca by propagation with its relative parts,
// the Monte-Carlo, the reference.
QStringList DetailLines(const Entry& entry);

// The largest tolerances a school's glassware could have; a larger one is a typing slip.
inline constexpr double kMostVolumeMl = 5.0;
inline constexpr double kMostConcentrationMolPerL = 1.0;

// A value typed in the dialog (',' or '.'), with the French reason it is refused: a tolerance
// is a number from 0 up to `most`; a reference an empty text (none) or a number above 0.
struct Reading {
    std::optional<double> value;
    QString refusal;  // empty when accepted
};
Reading ReadTolerance(const QString& text, const QString& what, double most, const QString& unit);
Reading ReadReference(const QString& text);

}  // namespace UncertaintyResults
