// ostrilo_check_bench: times the data checks over a real year of a city's network (Berlin 2023,
// 53 weekly count files) beside a pass that only reads every counted hour once. See
// bench/README.md.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/MedianReporter.h"
#include "core/checks/CheckReport.h"
#include "core/checks/DataChecks.h"
#include "core/table/CountFileReader.h"
#include "core/table/UniqueList.h"

namespace {

using namespace ostrilo;

constexpr int kRepetitions = 9;

// The year as the table lays it out (stations and dates in order of first appearance, a later
// line replacing an earlier one), built straight from the parsed lines: a table of it needs
// 82,236 records, more than the table holds today.
struct NetworkYear {
  NameList names;
  DateList dates;
  std::vector<std::int16_t> volumes;
  std::vector<HourMask> counted;
  std::size_t files = 0;
  std::size_t lines = 0;

  [[nodiscard]] CountView view() const {
    return {names.values(), dates.values(), volumes, counted};
  }
};

NetworkYear readYear(const std::filesystem::path& folder) {
  std::vector<std::string> paths;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".dat") paths.push_back(entry.path().string());
  }
  std::sort(paths.begin(), paths.end());
  std::vector<std::string> texts;
  texts.reserve(paths.size());
  std::vector<std::vector<CountLine>> parsed;
  NetworkYear year;
  for (const std::string& path : paths) {
    texts.push_back(readWholeFile(path));
    parsed.push_back(parseCountFile(texts.back(), path));
    for (const CountLine& line : parsed.back()) {
      year.names.Add(std::string(line.name));
      year.dates.Add(line.date);
    }
    year.lines += parsed.back().size();
  }
  year.files = paths.size();
  const std::size_t stations = static_cast<std::size_t>(year.names.Count());
  const std::size_t records = stations * static_cast<std::size_t>(year.dates.Count());
  year.volumes.assign(records * kHoursPerDay, 0);
  year.counted.assign(records, 0);
  for (const auto& lines : parsed) {
    for (const CountLine& line : lines) {
      const std::size_t r = stations * static_cast<std::size_t>(year.dates.Index(line.date)) +
                            static_cast<std::size_t>(year.names.Index(line.name));
      const int first = line.firstHalf ? 0 : 12;
      std::copy(line.volumes.begin(), line.volumes.end(),
                year.volumes.begin() + static_cast<std::ptrdiff_t>(r * kHoursPerDay + first));
      year.counted[r] |= 0xFFFu << first;
    }
  }
  return year;
}

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
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  std::vector<char*> args = {argv[0], interleave.data()};
  args.insert(args.end(), argv + 1, argv + argc);
  int argCount = static_cast<int>(args.size());
  args.push_back(nullptr);
  benchmark::Initialize(&argCount, args.data());
  if (benchmark::ReportUnrecognizedArguments(argCount, args.data())) return 1;
  const char* env = std::getenv("OSTRILO_REALDATA_DIR");
  const std::filesystem::path folder =
      std::filesystem::path(env != nullptr ? env : OSTRILO_REALDATA_DIR) / "berlin-2023";
  try {
    const NetworkYear year = readYear(folder);
    const CountView view = year.view();
    const CheckResults once = RunDataChecks(view);
    std::printf(
        "%zu files, %zu lines: %d stations x %d dates = %zu records; %d critical days\n%s\n",
        year.files, year.lines, year.names.Count(), year.dates.Count(), year.counted.size(),
        once.criticalDayCount(), checkCountsLine(countByCode(once.flags())).c_str());
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
    add("Year/RunDataChecks", [&](benchmark::State& state) {
      for (auto _ : state) {
        const CheckResults results = RunDataChecks(view);
        benchmark::DoNotOptimize(results.flags().data());
      }
    });
    ostrilo::bench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto* checks = reporter.find("Year/RunDataChecks");
    const auto* sum = reporter.find("Year/SumCountedHours");
    if (checks != nullptr && sum != nullptr) {
      std::printf(
          "\nRunDataChecks: %.2f ms real, %.2f ms CPU (goal: well under 100 ms); "
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
