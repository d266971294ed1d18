// sum(1,1,1000000,1/i^2) through the engine (Parse + Evaluate, no-op progress
// hook) against the same loop written directly in MPFR at the same precision;
// prints the ratio of the two.
#include "cFormulaEngine.h"

#include <benchmark/benchmark.h>
#include <mpfr.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr uint16_t kNativeDigits = 6; // 96 bits
constexpr unsigned long kTerms = 1000000;

void NoProgress(uint16_t, uint8_t, uint32_t, uint32_t) {}

void EngineSum(benchmark::State& state) {
    cFormulaEngine engine;
    for (auto _ : state) {
        engine.Parse("sum(1,1,1000000,1/i^2)");
        cLongReal value = engine.Evaluate();
        benchmark::DoNotOptimize(value.mpfr());
    }
}

void MpfrSum(benchmark::State& state) {
    mpfr_t i, t, acc;
    mpfr_inits2(16 * kNativeDigits, i, t, acc, static_cast<mpfr_ptr>(nullptr));
    for (auto _ : state) {
        mpfr_set_ui(acc, 0, MPFR_RNDN);
        for (mpfr_set_ui(i, 1, MPFR_RNDN); mpfr_cmp_ui(i, kTerms) <= 0; mpfr_add_ui(i, i, 1, MPFR_RNDN)) {
            mpfr_pow_si(t, i, 2, MPFR_RNDN);
            mpfr_ui_div(t, 1, t, MPFR_RNDN);
            mpfr_add(acc, acc, t, MPFR_RNDN);
        }
        benchmark::DoNotOptimize(acc);
    }
    mpfr_clears(i, t, acc, static_cast<mpfr_ptr>(nullptr));
}

// Keeps the CPU time per iteration of every benchmark for the summary line.
class cRatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                seconds[run.benchmark_name()] =
                    run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char** argv) {
    cLongReal::aPrecision = kNativeDigits;
    cFormulaEngine::ProgressIndicator = NoProgress;
    cFormulaEngine::Init();
    benchmark::RegisterBenchmark("sum_1e6/engine", EngineSum)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("sum_1e6/mpfr", MpfrSum)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    cRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const auto engine = reporter.seconds.find("sum_1e6/engine");
    const auto mpfr = reporter.seconds.find("sum_1e6/mpfr");
    if (engine != reporter.seconds.end() && mpfr != reporter.seconds.end() && mpfr->second > 0)
        std::printf("\nsum(1,1,1000000,1/i^2): engine/mpfr = %.2fx (CPU time)\n", engine->second / mpfr->second);
    cFormulaEngine::FreeStatics();
    benchmark::Shutdown();
    return 0;
}
