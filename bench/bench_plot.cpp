// SPDX-License-Identifier: GPL-3.0-or-later
// Plot sampling against the same number of separate evaluations of the
// formula by the engine at the user's precision, in the same run; prints
// the ratio.
#include "cLongRealDefaults.h"
#include "cPlotSampler.h"

#include "RatioReporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kSamples = 1000;
constexpr long kFrom = -360, kTo = 360;

void NoProgress(uint16_t, uint8_t, uint32_t, uint32_t) {}

const cLongReal kNoVariables[26];

void Sampled(benchmark::State& state, const char* formula) {
    cPlotSampler sampler(formula, 'x', kNoVariables);
    for (auto _ : state)
        benchmark::DoNotOptimize(sampler.Sample(cLongReal(kFrom), cLongReal(kTo), kSamples));
}

// The baseline: the formula parsed once, then evaluated at every x of the plot.
void Separate(benchmark::State& state, const char* formula) {
    cFormulaEngine engine;
    engine.Parse(formula);
    std::vector<cLongReal> xs(kSamples);
    for (uint32_t i = 0; i < kSamples; ++i)
        xs[i] = cLongReal(kFrom) +
                cLongReal(kTo - kFrom) * cLongReal(static_cast<long>(i)) / cLongReal(static_cast<long>(kSamples - 1));
    for (auto _ : state)
        for (const cLongReal& x : xs) {
            engine.SetVar('x', x);
            benchmark::DoNotOptimize(engine.Evaluate());
        }
}

const char* const kFormulas[] = {"sin(x)*x", "tan(x)", "exp(x/100)*cos(3*x)"};

} // namespace

int main(int argc, char** argv) {
    cFormulaEngine::ProgressIndicator = NoProgress;
    cFormulaEngine::Init();
    cLongReal::aAngleMode = cLongRealDefaults::kAngleMode;
    for (const char* f : kFormulas) {
        benchmark::RegisterBenchmark((std::string(f) + "/sampled").c_str(), [f](benchmark::State& s) {
            Sampled(s, f);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string(f) + "/separate").c_str(), [f](benchmark::State& s) {
            Separate(s, f);
        })->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    cRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-22s %11s %12s %16s  %s\n", "formula (1,000 x)", "sampled ms", "separate ms", "sampled/separate",
                "target");
    for (const char* f : kFormulas) {
        const double sampled = reporter.Milliseconds(std::string(f) + "/sampled");
        const double separate = reporter.Milliseconds(std::string(f) + "/separate");
        if (sampled < 0 || separate <= 0)
            continue;
        std::printf("%-22s %11.3f %12.3f %15.2fx  %s\n", f, sampled, separate, sampled / separate,
                    std::string(f) == "sin(x)*x" ? "<= 2x" : "-");
    }
    cFormulaEngine::FreeStatics();
    benchmark::Shutdown();
    return 0;
}
