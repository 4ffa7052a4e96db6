// ostrilo_interchange_bench: times the exports for other tools on Berlin 2023 (231 stations, 356
// dates, with its register): the SQLite database and the TMG volume file, written to a scratch
// folder, and reading that TMG file back. See bench/README.md.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchMain.h"
#include "core/checks/DataChecks.h"
#include "core/export/SqliteExport.h"
#include "core/export/TmgVolumeWriter.h"
#include "core/register/StationRegister.h"

int main(int argc, char** argv) {
  if (!ostrilo::bench::initInterleaved(argc, argv)) return 1;
  try {
    const std::string folder = OSTRILO_REALDATA_DIR "/berlin-2023";
    const ostrilo::ATRTable table = ostrilo::bench::tableOfFolder(folder);
    const ostrilo::StationRegister berlin =
        ostrilo::StationRegister::load(folder + "/stations.csv");
    // A TMG key per station: its position in the table, direction 1.
    std::string csv = "station,state,fclass,tmg_station,direction\n";
    for (std::int32_t i = 0; i < table.StaCount(); ++i) {
      csv += table.StaNamebyIndex(i) + ",11,4U," + std::to_string(i + 1) + ",1\n";
    }
    const ostrilo::StationRegister tmgKeys = ostrilo::StationRegister::parse(csv, "keys.csv");
    const auto scratch = std::filesystem::temp_directory_path() / "ostrilo-interchange-bench";
    std::filesystem::create_directories(scratch);
    const std::string db = (scratch / "berlin.db").string();
    const std::string vol = (scratch / "berlin.vol").string();
    benchmark::RegisterBenchmark("Interchange/Berlin2023Sqlite",
                                 [&](benchmark::State& state) {
                                   for (auto _ : state)
                                     ostrilo::writeSqliteDatabase(
                                         db, table, ostrilo::runDataChecks(table), &berlin);
                                 })
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark("Interchange/Berlin2023TmgWrite",
                                 [&](benchmark::State& state) {
                                   for (auto _ : state) {
                                     ostrilo::writeTmgVolumeFile(
                                         vol, table, ostrilo::runDataChecks(table), tmgKeys,
                                         ostrilo::TmgFormat::Tmg2013);
                                   }
                                 })
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
    ostrilo::writeTmgVolumeFile(vol, table, ostrilo::runDataChecks(table), tmgKeys,
                                ostrilo::TmgFormat::Tmg2013);
    benchmark::RegisterBenchmark("Interchange/Berlin2023TmgRead",
                                 [&](benchmark::State& state) {
                                   const std::vector<std::string> files{vol};
                                   for (auto _ : state) {
                                     ostrilo::ATRTable read;
                                     (void)ostrilo::FillFromCountFiles(read, files,
                                                                       ostrilo::FillMode::Build);
                                     benchmark::DoNotOptimize(read.Count());
                                   }
                                 })
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::remove_all(scratch);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ostrilo_interchange_bench: %s\n", e.what());
    return 1;
  }
  benchmark::Shutdown();
  return 0;
}
