// SPDX-License-Identifier: GPL-3.0-or-later
// Console output of Google Benchmark that also collects the CPU times
// (steadier than wall time on a busy machine), so that ratios can be
// printed at the end of a run; with repetitions, the median's.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class cRatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds; // by benchmark name
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Iteration || median)
                seconds[run.run_name.str()] =
                    run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // Milliseconds of CPU time of a benchmark; -1 when it did not run.
    double Milliseconds(const std::string& name) const {
        const auto found = seconds.find(name);
        return found == seconds.end() ? -1.0 : found->second * 1e3;
    }
};
