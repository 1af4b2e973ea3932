#pragma once
// Every benchmark here measures a hot path against its bound in the same run; this
// reporter keeps each run's time per iteration so that main() can print the ratios.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration)
                continue;
            const double toSeconds = 1.0 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            real_[run.benchmark_name()] = run.GetAdjustedRealTime() * toSeconds;
            cpu_[run.benchmark_name()] = run.GetAdjustedCPUTime() * toSeconds;
        }
    }

    // Seconds per iteration; 0 for a benchmark that did not run.
    double real(const std::string& name) const { return find(real_, name); }
    double cpu(const std::string& name) const { return find(cpu_, name); }

private:
    static double find(const std::map<std::string, double>& times, const std::string& name)
    {
        const auto it = times.find(name);
        return it == times.end() ? 0.0 : it->second;
    }

    std::map<std::string, double> real_;
    std::map<std::string, double> cpu_;
};
