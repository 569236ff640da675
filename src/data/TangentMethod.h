#pragma once

#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>

#include "data/TitrationAnalysis.h"

#include <optional>
#include <vector>

// The equivalence point by the method of parallel tangents, as students draw it by hand: a
// tangent to the curve where it bends most before the jump, the tangent of the same slope
// after the jump, and the parallel midway between them, which crosses the curve at Ve. Points
// are (volume in mL, pH), in any order, as TitrationAnalysis takes them.
namespace TangentMethod {

// The jump is the run of steps steeper than this share of the steepest one; the tangents
// touch the curve outside it.
inline constexpr double kJumpShareOfPeak = 0.25;
// Fewer points than this on either side of the jump leave no bend to find.
inline constexpr int kMinimumSidePoints = 5;

// A line pH = slope x V + intercept (pH per mL, pH).
struct Line {
    double slope = 0.0;
    double intercept = 0.0;
    double PH(double volumeMl) const { return slope * volumeMl + intercept; }
};

struct Result {
    Line before;   // tangent at the bend before the jump
    Line after;    // the parallel tangent after the jump
    Line middle;   // midway between them
    QPointF beforeTouch;  // (mL, pH) where each tangent touches the curve
    QPointF afterTouch;
    double volumeMl = 0.0;  // where the middle line crosses the curve: Ve
    double pH = 0.0;
    // The volumes over which the lines are worth drawing: across the jump and a little beyond
    // both touching points.
    double drawFromMl = 0.0;
    double drawToMl = 0.0;
};

// On the steepest jump. Empty when the curve has no jump (TitrationAnalysis finds no
// equivalence), too few points on either side of it, no bend before it, or a middle line that
// does not cross it.
std::optional<Result> Find(const QList<QPointF>& points);

// On the jump `jumps[index]` of a curve with several (TitrationJumps::FindAll), the curve taken
// from half way after the previous jump to half way before the next, as a student draws the
// tangents around one jump. With one jump, the same as Find. Empty also for an index out of range.
std::optional<Result> FindAt(const QList<QPointF>& points, const std::vector<TitrationAnalysis::Equivalence>& jumps,
                             std::size_t index);

QString ImpossibleText();  // "Méthode des tangentes impossible sur cette courbe"
// "Tangentes : V = 20,03 mL ; pH = 7,02", with ','.
QString ResultText(const Result& result);
// Caption TAB value CR per value, as the other results are copied.
QString ClipboardResults(const Result& result);
// The line of the lab report's results.
QString ReportLine(const Result& result);

}  // namespace TangentMethod
