// One fit of a model to a 300-point record: ethanoic acid at 0,01 mol/L titrated by soda,
// read every 0,1 mL within +-0,02 pH, the fit starting 20 % and 0,3 pKa away. Target: well
// under 50 ms per fit, so that "Ajuster" answers at once.
#include "chemistry/TitrationFit.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

using namespace TitrationChemistry;

TitrationFit::Model WeakAcid(double molPerL, double pKa)
{
    TitrationFit::Model model;
    model.titration.species = Species::WeakAcid;
    model.titration.pKa = pKa;
    model.titration.beakerMolPerL = molPerL;
    return model;
}

QList<QPointF> Record(int points)
{
    const TitrationFit::Model truth = WeakAcid(0.01, 4.76);
    std::mt19937 random(17);
    std::uniform_real_distribution<double> reading(-0.02, 0.02);
    QList<QPointF> record;
    for (int i = 0; i < points; ++i) {
        const double ml = i * 0.1;
        record.append(QPointF(ml, TitrationFit::ModelPH(truth, ml) + reading(random)));
    }
    return record;
}

void Fit(benchmark::State& state, TitrationFit::Adjusted adjusted)
{
    const QList<QPointF> record = Record(static_cast<int>(state.range(0)));
    const TitrationFit::Model start = WeakAcid(0.012, 4.46);
    for (auto _ : state) {
        const TitrationFit::Outcome outcome = TitrationFit::Fit(start, adjusted, record);
        if (!outcome.result)
            state.SkipWithError("the fit was refused");
        benchmark::DoNotOptimize(outcome);
    }
}

void BM_FitCaAndPKa(benchmark::State& state)
{
    Fit(state, {true, true, false});
}

void BM_FitCaPKaAndOffset(benchmark::State& state)
{
    Fit(state, {true, true, true});
}

BENCHMARK(BM_FitCaAndPKa)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FitCaPKaAndOffset)->Arg(300)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
