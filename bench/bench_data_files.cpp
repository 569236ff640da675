// Reading chemistry files of 10^4, 10^5 and 10^6 points into the record, and reducing such a
// table to 100 points. items_per_second is points per second: it should stay about the same
// from one size to the next, which is what linear cost looks like.
#include "data/ChemistryDocument.h"
#include "data/ChemistryFile.h"
#include "data/MeasurementRecord.h"
#include "data/MeasurementTextIo.h"
#include "data/NumberText.h"
#include "data/PointReduction.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <stdexcept>

namespace {

// A titration curve: slow rise, a jump in the middle, slow rise again; 0.01 mL per point.
QString CurveText(int points)
{
    QString text;
    text.reserve(static_cast<qsizetype>(points) * 18);
    for (int r = 1; r <= points; ++r) {
        const double pH = 3.0 + 4.0 * r / points + (r > points / 2 ? 4.0 : 0.0);
        text += NumberText::Fixed(pH, 4, 3);
        text += QLatin1Char('\t');
        text += NumberText::Fixed(r * 0.00001, 6, 6);
        text += QLatin1Char('\r');
    }
    text += QStringLiteral("\r\r\r");
    return text;
}

// One file per size, written once for the whole program.
const QString& FileOf(int points)
{
    static QTemporaryDir dir;
    static std::map<int, QString> files;
    auto found = files.find(points);
    if (found != files.end())
        return found->second;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("Mesures%1.che").arg(points));
    ChemistryFile::Write(path, ChemistryFile::BuildFileText(QStringList(), HeaderValues(), CurveText(points)));
    return files.emplace(points, path).first->second;
}

// What opening a file does to the record, without the widgets: read, fill the table, redraw
// the chart, hold the measurement text.
void OpenInto(ChemistryDocument& document, MeasurementRecord& record, const QString& path)
{
    const ChemistryFile::Contents contents = document.ReadChemistryFile(path);
    MeasurementTextIo::FillTableFromText(record, contents.body);
    record.RebuildChart();
    document.TakeMeasurementText(record);
}

void BM_OpenChemistryFile(benchmark::State& state)
{
    const int points = static_cast<int>(state.range(0));
    const QString& path = FileOf(points);
    int cellSignals = 0;
    for (auto _ : state) {
        ChemistryDocument document;
        MeasurementRecord record;
        QObject::connect(&record, &MeasurementRecord::CellChanged, [&cellSignals] { ++cellSignals; });
        OpenInto(document, record, path);
        if (record.PointCount() != points)
            throw std::runtime_error("fichier mal relu");
        benchmark::DoNotOptimize(record.Rows().data());
    }
    state.SetItemsProcessed(state.iterations() * points);
    state.counters["cell_signals"] = cellSignals;
}

// "Diminuer le nombre de points": restore all points from the held copy, reduce to 100 points.
void BM_RestoreAndReduceTo100(benchmark::State& state)
{
    const int points = static_cast<int>(state.range(0));
    ChemistryDocument document;
    MeasurementRecord record;
    OpenInto(document, record, FileOf(points));
    for (auto _ : state) {
        MeasurementTextIo::FillTableFromText(record, document.MeasurementText());
        const PointReduction::Result reduced = PointReduction::Reduce(record, 100);
        if (reduced.outcome != PointReduction::Outcome::Reduced)
            throw std::runtime_error("réduction refusée");
        MeasurementTextIo::FillTableFromText(record, reduced.text);
        record.RebuildChart();
        benchmark::DoNotOptimize(record.PointCount());
    }
    state.SetItemsProcessed(state.iterations() * points);
    state.counters["kept"] = record.PointCount();
}

// The reduction alone, on a table that already holds every point.
void BM_ReduceOnly(benchmark::State& state)
{
    const int points = static_cast<int>(state.range(0));
    ChemistryDocument document;
    MeasurementRecord record;
    OpenInto(document, record, FileOf(points));
    for (auto _ : state) {
        const PointReduction::Result reduced = PointReduction::Reduce(record, 100);
        benchmark::DoNotOptimize(reduced.text.size());
    }
    state.SetItemsProcessed(state.iterations() * points);
}

}  // namespace

BENCHMARK(BM_OpenChemistryFile)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RestoreAndReduceTo100)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReduceOnly)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
