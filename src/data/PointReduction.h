#pragma once

#include "data/MeasuredQuantity.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class MeasurementRecord;

// Thinning the point table to about K points: means of small groups around the steepest rise
// of the pH (where the equivalence point needs its detail), of large groups elsewhere, and
// the first and last points taken from straight lines fitted through the five points at each
// end. Rows are 1-based as in the table; every integer division truncates toward zero.
namespace PointReduction {

// Below this the reduction does nothing (also what "Annuler" gives: 0).
inline constexpr int kMinimumRequested = 20;
inline constexpr int kFitPoints = 5;

struct Point {
    double pH = 0;
    double volume = 0;  // litres
};

// Group sizes and zones for N points, K asked, steepest rise at row e.
struct Plan {
    std::int64_t a = 0;   // rows of the dense zone: N / 10
    std::int64_t b = 0;   // K / 2
    std::int64_t gs = 0;  // small group size
    std::int64_t gl = 0;  // large group size
    std::int64_t w = 0;
    std::int64_t d = 0;
    std::int64_t h = 0;
    std::int64_t s1 = 0;  // dense zone: rows s1 .. s2 - 1
    std::int64_t s2 = 0;
};

// Empty when the sizes do not allow a reduction (w < 1 or d <= 0).
std::optional<Plan> MakePlan(std::int64_t n, std::int64_t k, std::int64_t e);

// The pH and volume of every point row; throws ConvertError at the first unreadable cell.
std::vector<Point> ReadPoints(const MeasurementRecord& record);

// First row r of the steepest rise pH(r+1) - pH(r) over V(r+1) - V(r); 1 when nothing rises.
int SteepestRise(const std::vector<Point>& points);

// Mean pH and mean volume of rows r .. r + n - 1.
Point GroupMean(const std::vector<Point>& points, std::int64_t r, std::int64_t n);

enum class End { First, Last };
// Least-squares line through rows r .. r + 4, taken at volume 0 (first end) or at V(r + 4)
// (last end). Five equal volumes have no slope: their mean pH is taken.
Point FitEndPoint(const std::vector<Point>& points, std::int64_t r, End end);

enum class Outcome {
    Reduced,
    NotAsked,  // K below kMinimumRequested: silently nothing
    TooMany,   // K not below N, or no points: "Erreur"
    NoPlan,    // the group sizes do not work out: silently nothing
};

struct Result {
    Outcome outcome = Outcome::NotAsked;
    // Measurement text of the reduced points (pH fixed(4, 3), TAB, volume fixed(6, 6), CR;
    // then three more CR) and its number of points.
    QString text;
    int lineCount = 0;
};

// The reduced text of the points in the table for K asked. Reads the table only; throws
// ConvertError at the first unreadable cell.
Result Reduce(const MeasurementRecord& record, int requested);
// Values are written in `valueFormat` (the record's quantity's file format above).
Result Reduce(const std::vector<Point>& points, int requested, MeasuredQuantities::CellFormat valueFormat = {});

}  // namespace PointReduction
