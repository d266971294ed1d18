// SPDX-License-Identifier: GPL-3.0-or-later
// Console output of Google Benchmark that also collects the CPU times
// (steadier than wall time on a busy machine), so that ratios can be
// printed at the end of a run: with repetitions, the fastest one's.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

class cRatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> fastest, median; // seconds, by benchmark name
    void ReportRuns(const std::vector<Run>& runs) override {
        std::vector<Run> shown;
        for (const Run& run : runs) {
            const double t = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Iteration) {
                const auto [at, fresh] = fastest.emplace(name, t);
                if (!fresh)
                    at->second = std::min(at->second, t);
            }
            const bool isMedian = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (isMedian)
                median[name] = t;
            // Repetitions show as their median.
            if (isMedian || run.repetitions <= 1)
                shown.push_back(run);
        }
        if (!shown.empty())
            ConsoleReporter::ReportRuns(shown);
    }
    // Milliseconds of CPU time of a benchmark: its fastest run, or the median
    // when only aggregates were reported; -1 when it did not run.
    double Milliseconds(const std::string& name) const {
        for (const auto* seconds : {&fastest, &median})
            if (const auto found = seconds->find(name); found != seconds->end())
                return found->second * 1e3;
        return -1.0;
    }
};

// Runs the registered benchmarks `repetitions` times each, in random order,
// so that a slow phase of the host weighs on the engine and its baseline
// alike; flags on the command line take precedence.
inline void RunInterleaved(int argc, char** argv, cRatioReporter& reporter, int repetitions) {
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::string times = "--benchmark_repetitions=" + std::to_string(repetitions);
    std::vector<char*> args(argv, argv + argc);
    args.insert(args.begin() + (argc > 0 ? 1 : 0), {interleave.data(), times.data()});
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    benchmark::RunSpecifiedBenchmarks(&reporter);
}
