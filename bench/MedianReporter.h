#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace ostrilo::bench {

// Prints as usual and keeps the median real and CPU time of each case, so that a program can
// end with the ratios of its cases.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  struct Times {
    double real = 0;
    double cpu = 0;
  };

  // Colours only on a terminal, so that saved output stays plain text.
  MedianReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) != 0 ? OO_Color : OO_None) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      const std::string& name = run.run_name.function_name;
      // Without repetitions there is no median; the single run stands in for it.
      if (median || (run.run_type == Run::RT_Iteration && !m_haveMedian.contains(name))) {
        m_times[name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
        if (median) m_haveMedian.insert(name);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // The case's median times, or nullptr when it did not run.
  [[nodiscard]] const Times* find(const std::string& name) const {
    const auto it = m_times.find(name);
    return it == m_times.end() ? nullptr : &it->second;
  }

 private:
  std::map<std::string, Times> m_times;
  std::set<std::string> m_haveMedian;
};

}  // namespace ostrilo::bench
