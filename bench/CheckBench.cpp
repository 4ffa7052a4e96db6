// ostrilo_check_bench: times the data checks over a real year of a city's network (Berlin 2023,
// 53 weekly count files) beside a pass that only reads every counted hour once. See
// bench/README.md.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchMain.h"
#include "bench/MedianReporter.h"
#include "core/checks/CheckReport.h"
#include "core/checks/DataChecks.h"
#include "core/table/CountView.h"

namespace {

using namespace ostrilo;

constexpr int kRepetitions = 9;

// The least any check must do: look at every counted hour once.
std::int64_t sumCounted(const CountView& view) {
  std::int64_t sum = 0;
  for (std::size_t r = 0; r < view.counted.size(); ++r) {
    for (int h = 0; h < kHoursPerDay; ++h) {
      if ((view.counted[r] >> h) & 1u) sum += view.volumes[r * kHoursPerDay + h];
    }
  }
  return sum;
}

}  // namespace

int main(int argc, char** argv) {
  if (!ostrilo::bench::initInterleaved(argc, argv)) return 1;
  const char* env = std::getenv("OSTRILO_REALDATA_DIR");
  const std::filesystem::path folder =
      std::filesystem::path(env != nullptr ? env : OSTRILO_REALDATA_DIR) / "berlin-2023";
  try {
    const ATRTable year = ostrilo::bench::tableOfFolder(folder);
    const CountView view = CountView::of(year);
    const CheckResults once = runDataChecks(view);
    std::printf("%d stations x %d dates = %zu records; %d critical days\n%s\n", year.StaCount(),
                year.DateCount(), year.countedArray().size(), once.criticalDayCount(),
                checkCountsLine(countByCode(once.flags())).c_str());
    const auto add = [](const char* name, auto fn) {
      benchmark::RegisterBenchmark(name, fn)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime()
          ->Repetitions(kRepetitions)
          ->ReportAggregatesOnly(true);
    };
    add("Year/SumCountedHours", [&](benchmark::State& state) {
      for (auto _ : state) benchmark::DoNotOptimize(sumCounted(view));
    });
    add("Year/runDataChecks", [&](benchmark::State& state) {
      for (auto _ : state) {
        const CheckResults results = runDataChecks(view);
        benchmark::DoNotOptimize(results.flags().data());
      }
    });
    ostrilo::bench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto* checks = reporter.find("Year/runDataChecks");
    const auto* sum = reporter.find("Year/SumCountedHours");
    if (checks != nullptr && sum != nullptr) {
      std::printf(
          "\nrunDataChecks: %.2f ms real, %.2f ms CPU (goal: well under 100 ms); "
          "%.1f x the sum of the counted hours (CPU)\n",
          checks->real, checks->cpu, checks->cpu / sum->cpu);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ostrilo_check_bench: %s (set OSTRILO_REALDATA_DIR)\n", e.what());
    return 1;
  }
  benchmark::Shutdown();
  return 0;
}
