#pragma once

#include "chemistry/TitrationChemistry.h"

#include <QList>
#include <QPointF>
#include <QString>

#include <optional>

// A chemical model of a titration set beside the measured curve: its pH for every poured
// volume, and the least-squares fit of some of its parameters (the beaker's concentration, the
// pKa of a weak species, an offset of the electrode) to measured points (volume in mL, pH).
namespace TitrationFit {

struct Model {
    TitrationChemistry::Titration titration;
    // What the electrode reads above the true pH.
    double pHOffset = 0.0;
};

// The pH the electrode would read after `addedMl`.
double ModelPH(const Model& model, double addedMl);

// The model's curve from `fromMl` to `toMl` (mL, pH), sampled closer where the pH moves fast
// so that the jump is drawn as steep as it is.
QList<QPointF> Curve(const Model& model, double fromMl, double toMl);

// The parameters the fit may move; the others keep the starting model's values. The pKa is
// adjusted only for a weak species.
struct Adjusted {
    bool beakerMolPerL = true;
    bool pKa = true;
    bool pHOffset = false;
};

// A fitted value and its standard uncertainty.
struct Estimate {
    double value = 0.0;
    double uncertainty = 0.0;
};

struct Result {
    Model model;  // with the fitted values
    std::optional<Estimate> beakerMolPerL;
    std::optional<Estimate> pKa;
    std::optional<Estimate> pHOffset;
    // sqrt(sum of squared residuals / (points - adjusted parameters)).
    double residualSdPH = 0.0;
    double equivalenceMl = 0.0;
};

// A result, or the French reason why there is none.
struct Outcome {
    std::optional<Result> result;
    QString refusal;
};

inline constexpr int kMinimumPoints = 5;
// A curve moving less than this from its lowest to its highest pH has no titration in it.
inline constexpr double kMinimumChangePH = 1.0;
// A model that misses the points by more than this, as a standard deviation, does not
// describe them.
inline constexpr double kMaximumResidualSdPH = 1.0;

// The measured points a fit may use (finite, in volume order), or why a model of `freeCount`
// parameters whose pH rises (or falls) cannot be fitted on them; MixtureFit checks the same.
struct FitPoints {
    std::vector<QPointF> points;
    QString refusal;
};
FitPoints PrepareFitPoints(const QList<QPointF>& measured, int freeCount, bool modelRising);

// Least squares on the pH. Besides `start`, the curve itself suggests starts (the jump's
// volume, the pH half way to it); the fit goes from the one closest to the points, and from
// the next ones only when it does not converge.
Outcome Fit(const Model& start, const Adjusted& adjusted, const QList<QPointF>& points);

// "acide faible".
QString SpeciesName(TitrationChemistry::Species species);
// "acide faible titré par une base forte".
QString Description(const Model& model);
// "Modèle : Ca = (1,0021 ± 0,0041) × 10⁻² mol/L ; pKa = 4,77 ± 0,02 ; écart-type 0,03 pH ;
// Ve = 20,04 mL", with the adjusted parameters only.
QString ResultText(const Result& result);
// The same as a spreadsheet pastes it: caption TAB value CR, numbers with ','.
QString ClipboardLines(const Result& result);

}  // namespace TitrationFit
