#pragma once
// The console report, followed by the table of ratios the goals are stated in.

#include <benchmark/benchmark.h>

#include <map>
#include <set>
#include <string>

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

  private:
    // Seconds per iteration by benchmark name: the median when there are repetitions.
    std::map<std::string, double> seconds_;
    std::set<std::string> medians_;
    // The undo history's kept memory, in MB, by benchmark name.
    std::map<std::string, double> kept_;
    // An open's peak memory, in MB and against the image's pixels, by benchmark name.
    std::map<std::string, double> peakMB_, peakRatio_;
};
