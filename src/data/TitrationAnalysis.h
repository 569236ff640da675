#pragma once

#include <QList>
#include <QPointF>
#include <QString>

#include <optional>

// What a titration curve tells once it is measured: its derivative dpH/dV, the equivalence
// volume Ve where the pH changes fastest, the pH there and the pH at Ve/2 (the pKa of a weak
// acid). Points are (volume in mL, pH), in any order, as the record's volume mode gives them.
namespace TitrationAnalysis {

// Fewer distinct volumes than this make no curve to analyse.
inline constexpr int kMinimumPoints = 5;
// A curve whose pH moves less than this from its first to its last volume has no jump.
inline constexpr double kMinimumChangePH = 1.0;
// The steepest slope must stand this far above the mean slope of the whole curve: a straight
// ramp has no equivalence point, however steep.
inline constexpr double kPeakToMeanRatio = 3.0;

struct Equivalence {
    double volumeMl = 0.0;
    double pH = 0.0;
    // Empty when Ve/2 lies before the first measured volume.
    std::optional<double> halfVolumePH;
    // True for a rising curve (acid titrated by a base), false for a falling one.
    bool rising = true;
    // |dpH/dV| at the jump, pH per mL: tells the steepest of several.
    double slope = 0.0;
};

// The curve to analyse: finite points sorted by volume, the points sharing one volume merged
// into one at their mean pH (a derivative across a zero step has no meaning).
QList<QPointF> CurvePoints(const QList<QPointF>& points);

// dpH/dV in pH per mL, one value per interval of the curve, placed at the interval's middle:
// (p[i+1] - p[i]) / (v[i+1] - v[i]). It needs no even spacing and never mixes two intervals, so
// a steep jump between two points stays one clear peak.
QList<QPointF> Derivative(const QList<QPointF>& curve);

// d2pH/dV2 in pH per mL squared: the derivative of Derivative(curve), one value between the
// middles of two neighbouring intervals. It changes sign where the slope is steepest.
QList<QPointF> SecondDerivative(const QList<QPointF>& curve);

// Where the slope peaks around `slopes[k]` (0 < k < size - 1, slopes taken in the curve's
// direction so the peak is a maximum): the vertex of the parabola through the three values,
// kept between their volumes.
double PeakVolume(const QList<QPointF>& slopes, qsizetype k);

// The pH at `volumeMl`, linear between the neighbouring points of the curve; the end values
// outside it. The curve must not be empty.
double InterpolatePH(const QList<QPointF>& curve, double volumeMl);

// Ve = the extreme of dpH/dV in the curve's direction (steepest rise, or steepest fall when the
// pH goes down), refined by the vertex of the parabola through the three derivative values
// around it. Empty when there are too few points, no jump, or the steepest step is at an end of
// the curve (the jump is then not inside the measurements).
std::optional<Equivalence> FindEquivalence(const QList<QPointF>& points);

QString NotFoundText();  // "Point d'équivalence introuvable"

// "Équivalence : V = 20,03 mL ; pH = 7,02 ; pH à V/2 = 4,77", or NotFoundText().
QString ResultText(const std::optional<Equivalence>& result);

// The results as a spreadsheet pastes them: one line per value, caption TAB value CR, with ','.
QString ClipboardResults(const Equivalence& result);

}  // namespace TitrationAnalysis
