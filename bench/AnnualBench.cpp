// ostrilo_annual_bench: times the annual figures of every station of Berlin 2023 (231 stations,
// 356 dates), read into the count table. See bench/README.md.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchMain.h"
#include "core/annual/AnnualFigures.h"
#include "core/annual/ShortCounts.h"
#include "core/export/TableExports.h"
#include "core/table/ATRTable.h"

using ostrilo::BuildAnnualCsvText;
using ostrilo::BuildFactorsCsvText;
using ostrilo::ComputeAnnualFigures;
using ostrilo::CountView;

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  try {
    const ostrilo::ATRTable table =
        ostrilo::bench::tableOfFolder(OSTRILO_REALDATA_DIR "/berlin-2023");
    const CountView view = CountView::of(table);
    benchmark::RegisterBenchmark("Annual/Berlin2023",
                                 [view](benchmark::State& state) {
                                   for (auto _ : state) {
                                     auto rows = ComputeAnnualFigures(view, {});
                                     benchmark::DoNotOptimize(rows.data());
                                   }
                                 })
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(9)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark("Annual/Berlin2023Csv",
                                 [view](benchmark::State& state) {
                                   for (auto _ : state) {
                                     const auto rows = ComputeAnnualFigures(view, {});
                                     auto annual = BuildAnnualCsvText(rows);
                                     auto factors = BuildFactorsCsvText(rows);
                                     benchmark::DoNotOptimize(annual.data());
                                     benchmark::DoNotOptimize(factors.data());
                                   }
                                 })
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(9)
        ->ReportAggregatesOnly(true);
    // The group: the stations with an AADT; expanded: every other station's valid days.
    benchmark::RegisterBenchmark("Annual/Berlin2023Expand",
                                 [view](benchmark::State& state) {
                                   for (auto _ : state) {
                                     const auto rows = ComputeAnnualFigures(view, {});
                                     std::vector<ostrilo::StationYear> members;
                                     std::vector<std::int32_t> others;
                                     for (const auto& row : rows) {
                                       if (row.aadt) {
                                         members.push_back(row);
                                       } else {
                                         others.push_back(row.stationIndex);
                                       }
                                     }
                                     const std::vector<ostrilo::FactorGroup> groups = {
                                         ostrilo::CombineFactors(members, 2023)};
                                     auto estimates =
                                         ostrilo::ExpandShortCounts(view, others, groups);
                                     benchmark::DoNotOptimize(estimates.data());
                                   }
                                 })
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(9)
        ->ReportAggregatesOnly(true);
    benchmark::RunSpecifiedBenchmarks();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ostrilo_annual_bench: %s\n", e.what());
    return 1;
  }
  benchmark::Shutdown();
  return 0;
}
