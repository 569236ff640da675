// Per-sample cost of the driver's sampling loop on the emulated board, next to the budget of
// one sampling period at 15 700 Hz (63,7 us): the simulation must keep well inside it.
#include "board/Clock.h"
#include "board/EmulatedBoard.h"
#include "board/SimulatedBench.h"
#include "board/TTorviC.h"
#include "board/VoltageSource.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr std::uint32_t kSamples = 15700;
constexpr double kFrequency = 15700.0;
constexpr double kBudgetUs = 1e6 / kFrequency;

// Time that jumps to every deadline, so that only the emulation's own work is timed.
class JumpingClock final : public Clock {
public:
    std::int64_t NowMs() const override { return now_; }
    void WaitUntil(std::int64_t deadlineMs) override { now_ = std::max(now_, deadlineMs); }

private:
    std::int64_t now_ = 0;
};

class ConstantSource final : public VoltageSource {
    double Voltage(int channel, double) override { return channel == 1 ? 0.1 : 0.0; }
};

void Report(benchmark::State& state, const TTorviC& P)
{
    benchmark::DoNotOptimize(P.Voltage1());
    // Seconds per sample, shown by the console with its SI prefix (u = microseconds).
    state.counters["per_sample"] =
        benchmark::Counter(kSamples, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_SamplingLoop_ConstantVoltages(benchmark::State& state)
{
    JumpingClock clock;
    ConstantSource source;
    EmulatedBoard board(source, clock);
    TTorviC P(board, clock);
    for (auto _ : state)
        P.MeasureVoltages(kSamples, kFrequency);
    Report(state, P);
}
BENCHMARK(BM_SamplingLoop_ConstantVoltages)->Unit(benchmark::kMillisecond);

// The worst case of the program: electrode in the beaker of weak acid while the tap runs, so
// that every conversion solves the charge balance afresh.
void BM_SamplingLoop_TitrationBench(benchmark::State& state)
{
    JumpingClock clock;
    SimulatedBench bench(clock);
    bench.SetAcid(SimulatedBench::Acid::Ethanoic);
    bench.SetPlace(SimulatedBench::ElectrodePlace::Beaker);
    bench.OpenTap();
    EmulatedBoard board(bench, clock);
    TTorviC P(board, clock);
    for (auto _ : state) {
        P.MeasureVoltages(kSamples, kFrequency);
        if (bench.BuretteEmpty()) {
            state.PauseTiming();
            bench.NewBeaker();
            bench.OpenTap();
            state.ResumeTiming();
        }
    }
    Report(state, P);
}
BENCHMARK(BM_SamplingLoop_TitrationBench)->Unit(benchmark::kMillisecond);

// Prints each benchmark's per-sample cost against the budget after the usual table.
class BudgetReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto counter = run.counters.find("per_sample");
            if (counter != run.counters.end() && run.run_type == Run::RT_Iteration)
                perSampleUs_[run.benchmark_name()] = counter->second.value * 1e6;
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nPer-sample cost of the sampling loop (budget %.1f us per sample at %.0f Hz):\n", kBudgetUs,
                    kFrequency);
        for (const auto& [name, us] : perSampleUs_)
            std::printf("  %-40s %8.3f us  (%5.2f %% of the budget)\n", name.c_str(), us, 100.0 * us / kBudgetUs);
    }

private:
    std::map<std::string, double> perSampleUs_;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    BudgetReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
