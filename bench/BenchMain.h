#pragma once

// What the benchmark programs share: starting Google Benchmark with interleaved repetitions, and
// the real year of a city's network read into the count table.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/commands/Commands.h"
#include "core/table/ATRTable.h"

namespace ostrilo::bench {

// On a shared machine a burst of other work would otherwise hit all repetitions of one case and
// skew its ratio; interleaved, it spreads over all cases. A flag given later overrides it. False
// when the command line holds flags Google Benchmark does not know.
inline bool initInterleaved(int argc, char** argv) {
  static std::string interleave = "--benchmark_enable_random_interleaving=true";
  std::vector<char*> args = {argv[0], interleave.data()};
  args.insert(args.end(), argv + 1, argv + argc);
  int argCount = static_cast<int>(args.size());
  args.push_back(nullptr);
  benchmark::Initialize(&argCount, args.data());
  return !benchmark::ReportUnrecognizedArguments(argCount, args.data());
}

// The weekly count files of a folder, in name order, built into one table: Berlin 2023 is
// 231 stations x 356 dates. Throws ostrilo::Error as the table's Build and Add do.
inline ATRTable tableOfFolder(const std::filesystem::path& folder) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".dat") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  ATRTable table;
  (void)FillFromCountFiles(table, files, FillMode::Build);
  return table;
}

}  // namespace ostrilo::bench
