#pragma once

#include "data/ConductimetricAnalysis.h"
#include "data/Histogram.h"
#include "text/UncertainNumber.h"

#include <QList>
#include <QPointF>
#include <QString>

#include <cstdint>
#include <optional>

// The uncertainties of a titration's results as the school lab works them out: u(Ve) from the
// method that found Ve and from the burette, u(Ca) for Ca = Cb Ve / Va by propagation of the
// relative uncertainties and by a Monte-Carlo simulation, the written result, and the normalised
// gap to a reference value. Every tolerance ±a is read as a rectangular distribution, whose
// standard uncertainty is a / √3.
namespace Uncertainty {

double FromTolerance(double halfWidth);  // a / √3

// How a source of error spreads, for the Monte-Carlo draws.
enum class Shape { Rectangular, Normal };

struct Component {
    double standard = 0.0;  // standard uncertainty, in the quantity's unit
    Shape shape = Shape::Rectangular;
};

// The tolerances set in the uncertainties dialog and kept for the next start.
struct Tolerances {
    double buretteMl = 0.05;  // class A burette of 25 or 50 mL
    double readingMl = 0.05;  // reading its graduation
    double pipetteMl = 0.03;  // class A pipette of 20 mL, for Va
    // The burette solution's label, in mol/L: a 0,0100 mol/L label is good to its last digit.
    double buretteConcentrationMolPerL = 0.0001;
};

// The method's own standard uncertainty on Ve.
//
// The derivative's peak and the tangents place the jump's middle inside one step of the
// measurements: a jump sharper than the step shows as one steep step whatever volume inside
// it the equivalence truly has, so the three slopes around the peak put their vertex, and the
// middle line (interpolated straight across the step) its crossing, near the step's middle
// wherever Ve is. Ve is therefore taken as anywhere in the step that holds it, evenly:
// u = h / √12 for a step of h mL (a broader jump lets the methods do better; this is their
// bound). Steps tightened around the jump give a smaller u, as the students are taught.
Component PeakUncertainty(const QList<QPointF>& points, double veMl);
Component TangentUncertainty(const QList<QPointF>& points, double veMl);
// The intersection's, from the two lines' fits (normal, as least-squares errors are).
Component ConductimetricUncertainty(const ConductimetricAnalysis::Result& result);
// The model's Ve = Ca Va / Cb moves with its fitted Ca alone: u(Ve) = Ve u(Ca) / Ca.
Component ModelUncertainty(double veMl, double fittedMolPerL, double fittedUncertaintyMolPerL);

// Every input of Ca = Cb Ve / Va with its standard uncertainty.
struct Budget {
    double cbMolPerL = 0.0;
    Component cb;
    double vaMl = 0.0;
    Component va;
    double veMl = 0.0;
    Component method;   // how Ve was found
    Component burette;  // its tolerance
    Component reading;  // reading it
};

Budget MakeBudget(double cbMolPerL, double vaMl, double veMl, Component method, const Tolerances& tolerances);
// u(Ve): the method's, the burette's and the reading's combined in quadrature.
double VeUncertainty(const Budget& budget);
// Cb, Va and Ve all positive: the only budgets Propagate and MonteCarlo work out (they return
// zeros, and no draw, for any other).
bool Computable(const Budget& budget);

struct Propagation {
    double caMolPerL = 0.0;
    double uCaMolPerL = 0.0;
    // The relative standard uncertainties that make it up.
    double relativeCb = 0.0;
    double relativeVa = 0.0;
    double relativeVe = 0.0;
};

// u(Ca)/Ca = √((u(Cb)/Cb)² + (u(Va)/Va)² + (u(Ve)/Ve)²).
Propagation Propagate(const Budget& budget);

inline constexpr int kDraws = 100000;

struct MonteCarloResult {
    int draws = 0;
    double meanMolPerL = 0.0;
    double standardDeviationMolPerL = 0.0;
    Histogram histogram;  // of the drawn Ca
};

// Ca computed for `draws` draws of Cb, Va and each part of Ve from their own distributions,
// from a generator started at `seed` (the same seed, the same draws).
MonteCarloResult MonteCarlo(const Budget& budget, int draws = kDraws, std::uint64_t seed = 1, int bins = 40);

// A result as it is written (text/UncertainNumber.h: two significant digits on u, the value to
// the same decimal, one power of ten): every library writes its results this way.
using Written = UncertainNumber::Written;

// Empty when u is not a positive finite number or the value not finite.
std::optional<Written> Write(double value, double u);
// "Ca = (9,95 ± 0,08) × 10⁻³ mol/L", "Ve = (20,03 ± 0,29) mL", "pKa = 4,771 ± 0,021";
// the value alone as NumberText::General writes it when there is no uncertainty to write.
QString ResultText(const QString& symbol, double value, double u, const QString& unit);
// The pair for a spreadsheet, each in the form "9,95E-3" and "0,08E-3" (no "E" when the
// exponent is 0).
std::pair<QString, QString> SpreadsheetPair(double value, double u);

// A result is compatible with a reference value when |x - xref| ≤ 2 u.
inline constexpr double kCompatibleGap = 2.0;

struct Comparison {
    double reference = 0.0;
    double z = 0.0;  // |x - xref| / u
    bool compatible = false;
};

// Empty when u is not positive or a number is not finite.
std::optional<Comparison> Compare(double value, double u, double reference);
// "Écart normalisé à la référence : z = 0,45 ; compatible", or
// "Écart normalisé à la référence : z = 3,12 ; non compatible (z > 2)".
QString ComparisonText(const Comparison& comparison);

// Caption TAB value CR per value, as the other results are copied: the parts of u(Ve) and
// u(Ve), u(Ca) by propagation, the Monte-Carlo's mean and standard deviation when given, the
// reference comparison when given.
QString ClipboardLines(const Budget& budget, const std::optional<MonteCarloResult>& monteCarlo,
                       const std::optional<Comparison>& comparison);

}  // namespace Uncertainty
