// SPDX-License-Identifier: GPL-3.0-or-later
// A console reporter that also keeps the CPU time (steadier than wall time
// on a busy machine) of every benchmark, so that ratios can be printed at the end.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class cRatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds; // by benchmark name
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                seconds[run.benchmark_name()] =
                    run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        ConsoleReporter::ReportRuns(runs);
    }
};
