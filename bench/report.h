// report.h -- a console reporter that also keeps each benchmark's time, so that
// a program can print ratios of benchmarks measured side by side in one run
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class RecordingReporter : public benchmark::ConsoleReporter {
public:
    RecordingReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                times_[run.benchmark_name()] = run.GetAdjustedRealTime() / multiplier(run.time_unit);
        ConsoleReporter::ReportRuns(runs);
    }

    // Real time per iteration in microseconds, or 0 if the benchmark did not run.
    [[nodiscard]] double microseconds(const std::string& name) const
    {
        const auto found = times_.find(name);
        return found == times_.end() ? 0.0 : found->second;
    }

private:
    static double multiplier(benchmark::TimeUnit unit)
    {
        switch (unit) {
        case benchmark::kNanosecond: return 1e3;
        case benchmark::kMillisecond: return 1e-3;
        case benchmark::kSecond: return 1e-6;
        default: return 1.0;
        }
    }
    std::map<std::string, double> times_;
};
