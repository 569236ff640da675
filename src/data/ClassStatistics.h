#pragma once

#include "data/Histogram.h"
#include "data/ReceivedMeasurements.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The class's results at the teacher's station: each bench's Ve (and Ca = Cb Ve / Va when the
// teacher gives Cb and Va for the class, since the curves travel without them), the count,
// mean, standard deviation s and the uncertainty of the mean s/√n of the benches kept, each
// bench's gap to the mean in units of s, and a histogram. A bench left out (a failed titration)
// still shows its value and gap but counts in nothing.
namespace ClassStatistics {

// A bench further than this many s from the class's mean is marked.
inline constexpr double kMarkedGap = 2.0;

struct Bench {
    QString name;
    std::optional<double> veMl;  // empty when its curve gave no equivalence
    bool leftOut = false;
};

// Cb and Va as the teacher gives them for the whole class.
struct ClassQuantities {
    double buretteMolPerL = 0.0;
    double beakerVolumeMl = 0.0;
};

struct Row {
    QString name;
    std::optional<double> veMl;
    std::optional<double> caMolPerL;
    // (value - mean) / s; empty without a value or without an s.
    std::optional<double> gap;
    bool marked = false;
    bool leftOut = false;
};

struct Statistics {
    // The statistics are of Ca when the class quantities were given, of Ve otherwise.
    bool ofConcentration = false;
    std::vector<Row> rows;  // in the benches' order
    int count = 0;          // values kept
    double mean = 0.0;
    std::optional<double> standardDeviation;  // from two values on
    std::optional<double> standardDeviationOfMean;
    Histogram histogram;  // of the values kept
};

// The benches of the station's received curves, in arrival order, named as the legend names
// them, each with the entry's class Ve; those whose arrival number is in `leftOut` are left out.
std::vector<Bench> FromEntries(const QList<ReceivedMeasurements::Entry>& entries, const QSet<quint64>& leftOut);

Statistics Compute(const std::vector<Bench>& benches, const std::optional<ClassQuantities>& quantities);

// "Banc", "Ve (mL)", ["Ca (mol/L)",] "Écart / s", "Remarque".
QStringList Headers(const Statistics& statistics);
// Ve with two decimals, Ca with three significant digits as "1,00E-2", the gap signed with one
// decimal, the remark "écarté" or "au-delà de 2 s".
QStringList Cells(const Statistics& statistics, const Row& row);
// "24 valeurs : moyenne Ve = (20,03 ± 0,04) mL (± s/√n) ; s = 0,21 mL", or what is missing.
QString SummaryText(const Statistics& statistics);
// The header line and the rows, TAB between cells, CR after each line, then an empty line and
// the summary as caption TAB value lines, as spreadsheets paste them.
QString ClipboardText(const Statistics& statistics);
// The teacher's station's table: ClassTable's columns, then the statistics' ("Ca (mol/L)" only
// when the class quantities were given), for `entries` with `statistics` computed from their
// benches in the same order. Rows newest first, as the station lists them.
QStringList StationHeaders(const Statistics& statistics);
QList<QStringList> StationRows(const QList<ReceivedMeasurements::Entry>& entries, const Statistics& statistics);
// "Copier le tableau": those rows, then an empty line and the summary lines.
QString StationClipboardText(const QList<ReceivedMeasurements::Entry>& entries, const Statistics& statistics);
// Those summary lines alone: "Valeurs retenues", the mean, s and s/√n, caption TAB value CR.
QString SummaryLines(const Statistics& statistics);

}  // namespace ClassStatistics
