#include "data/ClassStatistics.h"

#include "data/ClassTable.h"
#include "data/NumberText.h"
#include "data/TitrationConcentration.h"
#include "data/Uncertainty.h"

#include <algorithm>
#include <cmath>

namespace ClassStatistics {

namespace {

constexpr QChar kTab = QLatin1Char('\t');
constexpr QChar kCr = QLatin1Char('\r');

std::optional<double> ValueOf(const Statistics& statistics, const Row& row)
{
    return statistics.ofConcentration ? row.caMolPerL : row.veMl;
}

QString Symbol(const Statistics& statistics)
{
    return statistics.ofConcentration ? QStringLiteral("Ca") : QStringLiteral("Ve");
}

QString Unit(const Statistics& statistics)
{
    return statistics.ofConcentration ? QStringLiteral("mol/L") : QStringLiteral("mL");
}

// A written mantissa with its power of ten, as a student writes it.
QString WithPower(const Uncertainty::Written& w, const QString& mantissa)
{
    return w.exponent == 0 ? mantissa : QStringLiteral("%1 × 10%2").arg(mantissa, NumberText::Superscript(w.exponent));
}

}  // namespace

std::vector<Bench> FromEntries(const QList<ReceivedMeasurements::Entry>& entries, const QSet<quint64>& leftOut)
{
    std::vector<Bench> benches;
    benches.reserve(static_cast<std::size_t>(entries.size()));
    for (const ReceivedMeasurements::Entry& entry : entries) {
        Bench bench;
        bench.name = ClassTable::CurveName(entry);
        bench.veMl = entry.ClassVolumeMl();
        bench.leftOut = leftOut.contains(entry.arrivalNumber);
        benches.push_back(std::move(bench));
    }
    return benches;
}

Statistics Compute(const std::vector<Bench>& benches, const std::optional<ClassQuantities>& quantities)
{
    Statistics s;
    s.ofConcentration = quantities && quantities->buretteMolPerL > 0.0 && quantities->beakerVolumeMl > 0.0;
    s.rows.reserve(benches.size());
    std::vector<double> kept;
    kept.reserve(benches.size());
    for (const Bench& bench : benches) {
        Row row;
        row.name = bench.name;
        row.leftOut = bench.leftOut;
        if (bench.veMl && std::isfinite(*bench.veMl)) {
            row.veMl = bench.veMl;
            if (s.ofConcentration)
                row.caMolPerL = quantities->buretteMolPerL * *bench.veMl / quantities->beakerVolumeMl;
        }
        const std::optional<double> value = ValueOf(s, row);
        if (value && !row.leftOut)
            kept.push_back(*value);
        s.rows.push_back(std::move(row));
    }
    s.count = static_cast<int>(kept.size());
    if (s.count == 0)
        return s;
    for (const double v : kept)
        s.mean += v;
    s.mean /= s.count;
    if (s.count >= 2) {
        double squares = 0.0;
        for (const double v : kept)
            squares += (v - s.mean) * (v - s.mean);
        s.standardDeviation = std::sqrt(squares / (s.count - 1));
        s.standardDeviationOfMean = *s.standardDeviation / std::sqrt(static_cast<double>(s.count));
    }
    if (s.standardDeviation && *s.standardDeviation > 0.0) {
        for (Row& row : s.rows) {
            const std::optional<double> value = ValueOf(s, row);
            if (!value)
                continue;
            row.gap = (*value - s.mean) / *s.standardDeviation;
            row.marked = !row.leftOut && std::abs(*row.gap) > kMarkedGap;
        }
    }
    s.histogram = Histogram::Of(kept, Histogram::BinsFor(kept.size()));
    return s;
}

QStringList Headers(const Statistics& statistics)
{
    QStringList headers{QStringLiteral("Banc"), QStringLiteral("Ve (mL)")};
    if (statistics.ofConcentration)
        headers << QStringLiteral("Ca (mol/L)");
    return headers << QStringLiteral("Écart / s") << QStringLiteral("Remarque");
}

QStringList Cells(const Statistics& statistics, const Row& row)
{
    QStringList cells{row.name, row.veMl ? NumberText::Fixed(*row.veMl, 15, 2) : ClassTable::NotFoundText()};
    if (statistics.ofConcentration)
        cells << (row.caMolPerL ? TitrationConcentration::Scientific(*row.caMolPerL) : QString());
    QString gap;
    if (row.gap)
        gap = (*row.gap >= 0.0 ? QStringLiteral("+") : QString()) + NumberText::Fixed(*row.gap, 15, 1);
    cells << gap;
    if (row.leftOut)
        cells << QStringLiteral("écarté");
    else if (row.marked)
        cells << QStringLiteral("au-delà de 2 s");
    else
        cells << QString();
    return cells;
}

QString SummaryText(const Statistics& statistics)
{
    const QString symbol = Symbol(statistics);
    const QString unit = Unit(statistics);
    if (statistics.count == 0)
        return QStringLiteral("Aucune valeur de %1 retenue").arg(symbol);
    if (!statistics.standardDeviation)
        return QStringLiteral("1 valeur : %1 = %2 %3 ; il en faut deux pour un écart-type")
            .arg(symbol, NumberText::General(statistics.mean), unit);
    const QString mean = Uncertainty::ResultText(QStringLiteral("moyenne ") + symbol, statistics.mean,
                                                 *statistics.standardDeviationOfMean, unit);
    const std::optional<Uncertainty::Written> s = Uncertainty::Write(*statistics.standardDeviation,
                                                                     *statistics.standardDeviation);
    const QString sText = s ? WithPower(*s, s->value) : NumberText::General(*statistics.standardDeviation);
    return QStringLiteral("%1 valeurs : %2 (± s/√n) ; s = %3 %4").arg(statistics.count).arg(mean, sText, unit);
}

QString ClipboardText(const Statistics& statistics)
{
    QString text = Headers(statistics).join(kTab) + kCr;
    for (const Row& row : statistics.rows)
        text += Cells(statistics, row).join(kTab) + kCr;
    return text + kCr + SummaryLines(statistics);
}

QString SummaryLines(const Statistics& statistics)
{
    QString text;
    const QString unit = Unit(statistics);
    const QString symbol = Symbol(statistics);
    text += QStringLiteral("Valeurs retenues\t%1\r").arg(statistics.count);
    if (statistics.count == 0)
        return text;
    if (!statistics.standardDeviation)
        return text + QStringLiteral("Moyenne de %1 en %2\t%3\r").arg(symbol, unit, NumberText::General(statistics.mean));
    const auto [mean, meanU] = Uncertainty::SpreadsheetPair(statistics.mean, *statistics.standardDeviationOfMean);
    const QString s = Uncertainty::SpreadsheetPair(*statistics.standardDeviation, *statistics.standardDeviation).first;
    text += QStringLiteral("Moyenne de %1 en %2\t%3\r").arg(symbol, unit, mean);
    text += QStringLiteral("Écart-type s en %1\t%2\r").arg(unit, s);
    text += QStringLiteral("Incertitude-type de la moyenne s/racine(n) en %1\t%2\r").arg(unit, meanU);
    return text;
}

QStringList StationHeaders(const Statistics& statistics)
{
    return ClassTable::Headers() + Headers(statistics).mid(2);
}

QList<QStringList> StationRows(const QList<ReceivedMeasurements::Entry>& entries, const Statistics& statistics)
{
    QList<QStringList> rows;
    const qsizetype count = std::min<qsizetype>(entries.size(), static_cast<qsizetype>(statistics.rows.size()));
    rows.reserve(count);
    for (qsizetype i = count - 1; i >= 0; --i)
        rows.append(ClassTable::Cells(entries[i]) + Cells(statistics, statistics.rows[static_cast<std::size_t>(i)]).mid(2));
    return rows;
}

QString StationClipboardText(const QList<ReceivedMeasurements::Entry>& entries, const Statistics& statistics)
{
    QString text = StationHeaders(statistics).join(kTab) + kCr;
    for (const QStringList& row : StationRows(entries, statistics))
        text += row.join(kTab) + kCr;
    return text + kCr + SummaryLines(statistics);
}

}  // namespace ClassStatistics
