#pragma once

#include "data/HeaderValues.h"

#include <QList>
#include <QPointF>
#include <QString>

#include <optional>

// The equivalence of a conductimetric titration: the conductivity of the beaker follows one
// straight line before the equivalence and another after it, once corrected for the dilution
// by the poured reagent; Ve is where the two lines fitted by least squares meet. Points are
// (volume in mL, conductivity in the record's unit), in any order; they are analysed in volume
// order, points sharing a volume merged at their mean.
namespace ConductimetricAnalysis {

// Fewer points than this on either side of the break give no line worth the name.
inline constexpr int kMinimumSidePoints = 3;
// A break is a change of slope this many times the slopes' combined standard uncertainty...
inline constexpr double kBreakSignificance = 4.0;
// ...and this share of the steeper slope: on a straight line without noise the two slopes
// differ by rounding only.
inline constexpr double kMinimumSlopeChange = 0.05;

// The least-squares line value = slope x V + intercept (V in mL), with what its uncertainty
// needs: the points' count, mean volume and spread, and the residuals' variance.
struct Line {
    double slope = 0.0;
    double intercept = 0.0;
    int count = 0;
    double meanMl = 0.0;
    double sxx = 0.0;               // sum of (V - meanMl)², mL²
    double residualVariance = 0.0;  // sum of squared residuals / (count - 2); 0 for two points

    double At(double volumeMl) const { return intercept + slope * volumeMl; }
    // The variance of the line's value at `volumeMl`: s² (1/n + (V - mean)² / Sxx).
    double VarianceAt(double volumeMl) const;
    double SlopeVariance() const { return sxx > 0.0 ? residualVariance / sxx : 0.0; }
};

// Volumes from `fromMl` to `toMl`, both included.
struct Range {
    double fromMl = 0.0;
    double toMl = 0.0;
};

struct Result {
    Line before;
    Line after;
    // The volumes of the first and last points each line was fitted on.
    Range beforeRange;
    Range afterRange;
    double volumeMl = 0.0;  // Ve, where the lines meet
    double value = 0.0;     // the (corrected) conductivity there
    // The standard uncertainty of Ve from the two fits: the lines' standard uncertainties at
    // Ve (their fits are independent) over the difference of their slopes.
    double standardUncertaintyMl = 0.0;
    // The lines are fitted on σ' = σ (Va + V) / Va when Va was known.
    bool dilutionCorrected = false;
};

// A result, or the French reason why there is none.
struct Outcome {
    std::optional<Result> result;
    QString refusal;
};

// Va in mL from the comment dialog's beaker volume (in L), when the quantities were confirmed.
std::optional<double> BeakerVolumeMl(const HeaderValues& values);

// σ' = σ (Va + V) / Va: the conductivity the beaker would have without the poured volume's
// dilution, which bends each branch into a hyperbola.
QList<QPointF> DilutionCorrected(const QList<QPointF>& points, double beakerVolumeMl);

// The break found from the points: the split into two runs of at least kMinimumSidePoints
// that leaves the smallest total squared residual about their two lines. Each line is then
// fitted on the points of its branch nearest the break, as many on each side as the shorter
// branch has: far from the break the chemistry bends the branches (a weak acid's start, where
// it is partly dissociated; the dilution, when not corrected), and the break is read where
// the lines meet. The points are corrected for dilution first when `beakerVolumeMl` is given
// (and positive).
Outcome Analyse(const QList<QPointF>& points, std::optional<double> beakerVolumeMl);
// The lines fitted on the points of the two ranges the student chose, every point of each.
Outcome Analyse(const QList<QPointF>& points, std::optional<double> beakerVolumeMl, Range before, Range after);

// "Équivalence (conductimétrie) : Ve = 10,02 mL".
QString ResultText(const Result& result);
// What the chart says when Va is unknown: "Va inconnu : conductivité sans correction de la dilution".
QString UncorrectedText();
// Caption TAB value CR per value, with ',', as the other results are copied; `unit` is the
// record's ("mS/cm" or "µS/cm").
QString ClipboardResults(const Result& result, const QString& unit);

}  // namespace ConductimetricAnalysis
