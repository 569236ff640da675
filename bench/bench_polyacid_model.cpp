// A model of three acidities over 500 volumes, and its fit: phosphoric acid at 0,1 mol/L, 10 mL,
// titrated by soda at 0,1 mol/L from 0 to 30 mL. Targets: the 500 pH values (and the
// distribution of the species over them) well under 20 ms, so that the model and its diagram
// draw at once; the fit of Ca and the three pKa to 500 readings within +-0,02 pH, starting 20 %
// and a few tenths of pKa away, under 200 ms, so that "Ajuster" answers at once. The choice of the
// simple model the dialog opens on (five fits of the curve's direction) is measured too.
#include "chemistry/MixtureFit.h"
#include "chemistry/ModelChoice.h"
#include "chemistry/SpeciesFractions.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

using namespace MixtureTitration;

constexpr int kVolumes = 500;

AcidBaseCouple Phosphoric(std::vector<double> pKa)
{
    AcidBaseCouple couple = *AcidBaseCouples::Find(AcidBaseCouples::Common(), QStringLiteral("acide phosphorique"));
    couple.pKa = std::move(pKa);
    return couple;
}

Titration Model(double molPerL, std::vector<double> pKa)
{
    return Make({Acid(Phosphoric(std::move(pKa)), molPerL)}, 10.0, Reagent::StrongBase, 0.1);
}

std::vector<double> Volumes()
{
    std::vector<double> volumes;
    for (int i = 0; i < kVolumes; ++i)
        volumes.push_back(30.0 * i / (kVolumes - 1));
    return volumes;
}

void BM_TriacidCurve(benchmark::State& state)
{
    const Titration model = Model(0.1, {2.15, 7.20, 12.35});
    const std::vector<double> volumes = Volumes();
    for (auto _ : state)
        benchmark::DoNotOptimize(PHAt(model, volumes));
}

void BM_TriacidDistribution(benchmark::State& state)
{
    const Titration model = Model(0.1, {2.15, 7.20, 12.35});
    const std::vector<double> volumes = Volumes();
    for (auto _ : state)
        benchmark::DoNotOptimize(SpeciesFractions::AlongVolume(model, volumes));
}

QList<QPointF> Record()
{
    const std::vector<double> volumes = Volumes();
    const std::vector<double> truth = PHAt(Model(0.1, {2.15, 7.20, 12.35}), volumes);
    std::mt19937 random(17);
    std::uniform_real_distribution<double> reading(-0.02, 0.02);
    QList<QPointF> record;
    for (std::size_t i = 0; i < volumes.size(); ++i)
        record.append(QPointF(volumes[i], truth[i] + reading(random)));
    return record;
}

void BM_TriacidFit(benchmark::State& state)
{
    const QList<QPointF> record = Record();
    MixtureFit::Model start;
    start.titration = Model(0.08, {2.5, 7.6, 12.0});
    std::vector<MixtureFit::Parameter> adjusted = MixtureFit::Parameters(start);
    adjusted.pop_back();  // no offset
    for (auto _ : state) {
        const MixtureFit::Outcome outcome = MixtureFit::Fit(start, adjusted, record);
        if (!outcome.result)
            state.SkipWithError("the fit was refused");
        benchmark::DoNotOptimize(outcome);
    }
}

void BM_ModelChoice(benchmark::State& state)
{
    const QList<QPointF> record = Record();
    for (auto _ : state)
        benchmark::DoNotOptimize(ModelChoice::Best(record, 10.0, 0.1));
}

BENCHMARK(BM_TriacidCurve)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TriacidDistribution)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TriacidFit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModelChoice)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
