#pragma once

#include "data/TitrationAnalysis.h"

#include <QList>
#include <QPointF>
#include <QString>

#include <vector>

// Every equivalence of a titration curve, not only the steepest: a polyacid, a carbonate or a
// mixture of two acids gives one jump per step. Each jump is a peak of dpH/dV in the curve's
// direction that stands out of the curve's own noise. Points are (volume in mL, pH), in any
// order, as TitrationAnalysis takes them.
namespace TitrationJumps {

// The steepest step of the curve, when it lies inside the measurements, is a jump exactly as
// TitrationAnalysis::FindEquivalence takes it. The others are peaks of the slope taken across
// a window of this width at least (or of the median step, when wider): readings taken close
// together give slopes too noisy to show a soft jump, and a slope over a fixed width has a
// noise that does not depend on how close they are.
inline constexpr double kSlopeWindowMl = 0.5;
// Such a peak must reach this share of the steepest slope, and this many times the mean slope
// (the pH change over the volume range) ...
inline constexpr double kMinimumShareOfSteepest = 0.03;
inline constexpr double kMinimumMeanRatio = 1.5;
// ... stand this many times the slope's noise above the higher of the valleys around it (its
// prominence, each valley the lowest slope before a steeper one or the end of the curve) ...
inline constexpr double kMinimumNoiseRatio = 8.0;
// ... with its slope at least this many times that valley's ...
inline constexpr double kMinimumPeakToValley = 2.0;
// ... and lie this far at least from a steeper jump.
inline constexpr double kMinimumSeparationMl = 1.0;

// The jumps in volume order; a curve with one jump gives FindEquivalence's. The steepest jump kept
// must pass TitrationAnalysis's rule against straight ramps. halfVolumePH is the pH half way
// from the previous equivalence (or from no volume for the first) to this one: at Ve1/2, at
// (Ve1 + Ve2)/2, ...
std::vector<TitrationAnalysis::Equivalence> FindAll(const QList<QPointF>& points);

// The standard deviation of the readings' scatter in pH, from how far each point lies off the
// line through its two neighbours (the median, so the few points of a jump do not count).
double ReadingNoise(const QList<QPointF>& curve);

// Index of the steepest jump, the one the tangent method takes unless told otherwise; 0 for none.
std::size_t Steepest(const std::vector<TitrationAnalysis::Equivalence>& jumps);

// One jump: TitrationAnalysis::ResultText's text. Several: "Équivalence 1 : Ve =
// 9,98 mL ; pH = 4,62 — Équivalence 2 : Ve = 19,95 mL ; pH = 9,73". None: NotFoundText().
QString ResultText(const std::vector<TitrationAnalysis::Equivalence>& jumps);

// One jump: TitrationAnalysis::ClipboardResults. Several: per jump "Volume à l'équivalence 1 en
// mL", "pH à l'équivalence 1", "pH à la demi-équivalence 1" (the pH half way from the previous
// one), caption TAB value CR.
QString ClipboardResults(const std::vector<TitrationAnalysis::Equivalence>& jumps);

// The lab report's result lines without the concentration. One jump: LabReport::ResultLines'.
// Several: one line per jump, "Équivalence 2 : Ve = 19,95 mL ; pH = 9,73 ; pH à la
// demi-équivalence = 7,21".
QStringList ReportLines(const std::vector<TitrationAnalysis::Equivalence>& jumps);

}  // namespace TitrationJumps
