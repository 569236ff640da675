// The uncertainties and the class's statistics, as often as the window asks for them.
//   BM_MonteCarlo: 10^5 draws of Cb, Va and Ve for u(Ca) and its histogram. Target: under 100 ms,
//     so that the uncertainties dialog follows its fields.
//   BM_ClassRefresh: the station's statistics, table cells, summary and spreadsheet text for
//     200 received curves. Target: under 20 ms, so that they follow each arrival.
//   BM_ArrivalAndRefresh: one more curve arrives (analysed, the oldest dropped), then the same
//     refresh.
#include "chemistry/TitrationChemistry.h"
#include "data/ClassStatistics.h"
#include "data/NumberText.h"
#include "data/ReceivedMeasurements.h"
#include "data/Uncertainty.h"

#include <QLoggingCategory>

#include <benchmark/benchmark.h>

namespace {

constexpr int kCurves = ReceivedMeasurements::kCapacity;

// A student's curve as the network brings it: pH and volume in litres every 0,25 mL to 30 mL,
// the burette's soda a little off the label so that each bench finds its own Ve.
QString CurveText(int bench)
{
    TitrationChemistry::Titration t;
    t.species = bench % 2 ? TitrationChemistry::Species::WeakAcid : TitrationChemistry::Species::StrongAcid;
    t.buretteMolPerL = 0.01 * (0.95 + 0.1 * (bench % 17) / 16.0);
    QString text;
    for (int i = 0; i <= 120; ++i) {
        const double ml = 0.25 * i;
        text += NumberText::Fixed(TitrationChemistry::PH(t, ml), 5, 3) + QLatin1Char('\t')
                + NumberText::Fixed(ml / 1000.0, 6, 6) + QLatin1Char('\r');
    }
    return text + QStringLiteral("\r\r\r");
}

void Refresh(const ReceivedMeasurements& store, const QSet<quint64>& leftOut, benchmark::State& state)
{
    const ClassStatistics::Statistics statistics = ClassStatistics::Compute(
        ClassStatistics::FromEntries(store.Entries(), leftOut), ClassStatistics::ClassQuantities{0.01, 20.0});
    int cells = 0;
    for (const ClassStatistics::Row& row : statistics.rows)
        cells += static_cast<int>(ClassStatistics::Cells(statistics, row).size());
    const QString summary = ClassStatistics::SummaryText(statistics);
    const QString copy = ClassStatistics::ClipboardText(statistics);
    if (statistics.count < kCurves - leftOut.size())
        state.SkipWithError("a curve gave no equivalence");
    benchmark::DoNotOptimize(cells);
    benchmark::DoNotOptimize(summary.size() + copy.size());
}

void Fill(ReceivedMeasurements& store)
{
    for (int bench = 0; bench < kCurves; ++bench)
        store.Add(QStringLiteral("10.0.0.%1").arg(bench % 250 + 1), CurveText(bench), static_cast<quint64>(bench));
}

void BM_MonteCarlo(benchmark::State& state)
{
    const Uncertainty::Budget budget =
        Uncertainty::MakeBudget(0.01, 20.0, 19.9, {0.29, Uncertainty::Shape::Rectangular}, Uncertainty::Tolerances{});
    std::uint64_t seed = 1;
    for (auto _ : state) {
        const Uncertainty::MonteCarloResult result = Uncertainty::MonteCarlo(budget, Uncertainty::kDraws, seed++);
        benchmark::DoNotOptimize(result.standardDeviationMolPerL);
    }
}

void BM_ClassRefresh(benchmark::State& state)
{
    ReceivedMeasurements store;
    Fill(store);
    const QSet<quint64> leftOut{3, 17, 101};
    for (auto _ : state)
        Refresh(store, leftOut, state);
}

void BM_ArrivalAndRefresh(benchmark::State& state)
{
    ReceivedMeasurements store;
    Fill(store);
    const QString text = CurveText(7);
    const QSet<quint64> leftOut{3, 17, 101};
    quint64 arrival = kCurves;
    for (auto _ : state) {
        store.Add(QStringLiteral("10.0.0.200"), text, arrival++);
        Refresh(store, leftOut, state);
    }
}

BENCHMARK(BM_MonteCarlo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClassRefresh)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArrivalAndRefresh)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    // Each arrival is logged; not 200 lines per refresh here.
    QLoggingCategory::setFilterRules(QStringLiteral("quorin.*=false"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
