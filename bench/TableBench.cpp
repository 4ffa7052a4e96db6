// ostrilo_bench: times BuildTable, AddToTable, SaveToFile and LoadFromFile on the reference
// files and on a network's year, each beside a baseline that only moves the same bytes, and
// prints the ratios of the medians at the end. See bench/README.md.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "bench/BenchInputs.h"
#include "bench/BenchMain.h"
#include "bench/MedianReporter.h"
#include "core/table/ATRTable.h"
#include "core/table/CountFileReader.h"

namespace {

using ostrilo::ATRTable;
using ostrilo::bench::BenchInputs;

constexpr int kRepetitions = 9;

// Runs body once per iteration; a thrown error ends the case with its message.
template <typename Body>
void timeLoop(benchmark::State& state, std::size_t bytesPerIteration, Body&& body) {
  try {
    for (auto _ : state) body(state);
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    return;
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(bytesPerIteration));
}

void readBytes(const std::string& path) {
  const std::string text = ostrilo::readWholeFile(path);
  benchmark::DoNotOptimize(text.data());
}

std::size_t fileBytes(const std::vector<std::string>& files) {
  std::size_t total = 0;
  for (const auto& f : files) total += ostrilo::readWholeFile(f).size();
  return total;
}

ATRTable buildAll(const std::vector<std::string>& files) {
  ATRTable table;
  for (std::size_t i = 0; i < files.size(); ++i) {
    table.setInFile(files[i]);
    if (i == 0) {
      table.BuildTable();
    } else {
      table.AddToTable();
    }
  }
  return table;
}

// A plain write of the bytes, optionally made durable as SaveToFile makes its file.
void writeBytes(const std::string& path, std::string_view bytes, bool sync) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw std::system_error(errno, std::generic_category(), path);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = errno;
      ::close(fd);
      throw std::system_error(err, std::generic_category(), path);
    }
    done += static_cast<std::size_t>(n);
  }
  if ((sync && ::fsync(fd) != 0) || ::close(fd) != 0) {
    throw std::system_error(errno, std::generic_category(), path);
  }
}

// Collects the median real and CPU times of each case while printing as usual. Both ratios are
// printed: real time is what a user waits for (it includes fsync), CPU time is steadier when
// other work shares the machine.
class RatioReporter : public ostrilo::bench::MedianReporter {
 public:
  void printRatios() const {
    std::string lines;
    lines += ratio("Build/BuildTable", "Build/ReadBytes", "goal: at most 3");
    lines += ratio("Add/AddToTable", "Add/ReadBytes", "");
    lines += ratio("Load/LoadFromFile", "Load/ReadBytes", "goal: at most 2");
    lines += ratio("Save/SaveToFile", "Save/WriteBytes", "");
    lines += ratio("Save/SaveToFile", "Save/WriteBytesFsync", "goal: at most 1.5");
    lines += ratio("Year/BuildAll", "Year/ReadBytes", "");
    lines += ratio("Year/LoadFromFile", "Year/ReadTable", "");
    lines += ratio("Year/SaveToFile", "Year/WriteFsync", "");
    if (lines.empty()) return;  // a filter left no complete pair
    std::printf("\nRatios of the medians, times in ms:\n  %-17s   %-20s %-21s   %-21s\n%s",
                "measured", "baseline", "real time m/b", "CPU time m/b", lines.c_str());
    std::fflush(stdout);
  }

 private:
  [[nodiscard]] std::string ratio(const std::string& measured, const std::string& baseline,
                                  const char* goal) const {
    const Times* m = find(measured);
    const Times* b = find(baseline);
    if (m == nullptr || b == nullptr || b->real <= 0 || b->cpu <= 0) return {};
    const Times& mt = *m;
    const Times& bt = *b;
    char line[200];
    std::snprintf(line, sizeof line,
                  "  %-17s / %-20s %6.2f/%6.2f = %5.2f   %6.2f/%6.2f = %5.2f   %s\n",
                  measured.c_str(), baseline.c_str(), mt.real, bt.real, mt.real / bt.real, mt.cpu,
                  bt.cpu, mt.cpu / bt.cpu, goal);
    return line;
  }
};

void registerCases(const BenchInputs& inputs, const ATRTable& firstOnly, const ATRTable& full,
                   const std::string& tableFile, const std::string& tableBytes,
                   const BenchInputs& year, const ATRTable& yearTable, const std::string& yearFile,
                   const std::string& yearBytes) {
  const std::string& first = inputs.firstFile();
  const std::string& second = inputs.secondFile();
  const std::size_t countFileBytes = ostrilo::readWholeFile(first).size();
  const std::string plainOut = (inputs.folder() / "plain.cont").string();
  const std::string savedOut = (inputs.folder() / "saved.cont").string();

  const auto add = [](const char* name, auto fn) {
    benchmark::RegisterBenchmark(name, fn)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true);
  };

  add("Build/ReadBytes", [=](benchmark::State& state) {
    timeLoop(state, countFileBytes, [&](benchmark::State&) { readBytes(first); });
  });
  add("Build/BuildTable", [=](benchmark::State& state) {
    timeLoop(state, countFileBytes, [&](benchmark::State&) {
      ATRTable table;
      table.setInFile(first);
      table.BuildTable();
      benchmark::DoNotOptimize(table.volumeArray().data());
    });
  });
  add("Add/ReadBytes", [=](benchmark::State& state) {
    timeLoop(state, countFileBytes, [&](benchmark::State&) { readBytes(second); });
  });
  add("Add/AddToTable", [=, &firstOnly](benchmark::State& state) {
    timeLoop(state, countFileBytes, [&](benchmark::State& s) {
      s.PauseTiming();
      ATRTable table = firstOnly;
      table.setInFile(second);
      s.ResumeTiming();
      table.AddToTable();
      benchmark::DoNotOptimize(table.volumeArray().data());
      s.PauseTiming();  // the table's release is not part of adding
      table = ATRTable();
      s.ResumeTiming();
    });
  });
  add("Load/ReadBytes", [=](benchmark::State& state) {
    timeLoop(state, tableBytes.size(), [&](benchmark::State&) {
      const std::string bytes = ostrilo::readWholeFile(tableFile);
      benchmark::DoNotOptimize(bytes.data());
    });
  });
  add("Load/LoadFromFile", [=](benchmark::State& state) {
    timeLoop(state, tableBytes.size(), [&](benchmark::State&) {
      ATRTable table;
      table.LoadFromFile(tableFile);
      benchmark::DoNotOptimize(table.volumeArray().data());
    });
  });
  add("Save/WriteBytes", [=](benchmark::State& state) {
    timeLoop(state, tableBytes.size(),
             [&](benchmark::State&) { writeBytes(plainOut, tableBytes, false); });
  });
  add("Save/WriteBytesFsync", [=](benchmark::State& state) {
    timeLoop(state, tableBytes.size(),
             [&](benchmark::State&) { writeBytes(plainOut, tableBytes, true); });
  });
  add("Save/SaveToFile", [=, &full](benchmark::State& state) {
    timeLoop(state, tableBytes.size(), [&](benchmark::State&) { full.SaveToFile(savedOut); });
  });

  const std::vector<std::string> weeks = year.files();
  const std::size_t yearCountBytes = fileBytes(weeks);
  add("Year/ReadBytes", [=](benchmark::State& state) {
    timeLoop(state, yearCountBytes, [&](benchmark::State&) {
      for (const auto& week : weeks) readBytes(week);
    });
  });
  add("Year/BuildAll", [=](benchmark::State& state) {
    timeLoop(state, yearCountBytes, [&](benchmark::State&) {
      const ATRTable table = buildAll(weeks);
      benchmark::DoNotOptimize(table.volumeArray().data());
    });
  });
  add("Year/ReadTable", [=](benchmark::State& state) {
    timeLoop(state, yearBytes.size(), [&](benchmark::State&) { readBytes(yearFile); });
  });
  add("Year/LoadFromFile", [=](benchmark::State& state) {
    timeLoop(state, yearBytes.size(), [&](benchmark::State&) {
      ATRTable table;
      table.LoadFromFile(yearFile);
      benchmark::DoNotOptimize(table.volumeArray().data());
    });
  });
  add("Year/WriteFsync", [=](benchmark::State& state) {
    timeLoop(state, yearBytes.size(),
             [&](benchmark::State&) { writeBytes(plainOut, yearBytes, true); });
  });
  add("Year/SaveToFile", [=, &yearTable](benchmark::State& state) {
    timeLoop(state, yearBytes.size(), [&](benchmark::State&) { yearTable.SaveToFile(savedOut); });
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (!ostrilo::bench::initInterleaved(argc, argv)) return 1;
  try {
    const BenchInputs inputs;
    ATRTable firstOnly;
    firstOnly.setInFile(inputs.firstFile());
    firstOnly.BuildTable();
    ATRTable full = firstOnly;
    full.setInFile(inputs.secondFile());
    full.AddToTable();
    if (full.StaCount() != ostrilo::bench::kStations ||
        full.DateCount() != 2 * ostrilo::bench::kDaysPerFile) {
      std::fprintf(stderr, "ostrilo_bench: the generated files gave %d stations x %d dates\n",
                   full.StaCount(), full.DateCount());
      return 1;
    }
    const std::string tableFile = (inputs.folder() / "full.cont").string();
    full.SaveToFile(tableFile);
    const std::string tableBytes = ostrilo::readWholeFile(tableFile);
    std::printf(
        "Inputs in %s: two count files of %zu bytes (%d stations x %d days each), a table "
        "file of %zu bytes (%d records)\n",
        inputs.folder().c_str(), ostrilo::readWholeFile(inputs.firstFile()).size(),
        ostrilo::bench::kStations, ostrilo::bench::kDaysPerFile, tableBytes.size(),
        full.StaCount() * full.DateCount());

    const BenchInputs year(ostrilo::bench::InputSet::Year);
    const ATRTable yearTable = buildAll(year.files());
    const std::string yearFile = (year.folder() / "year.cont").string();
    yearTable.SaveToFile(yearFile);
    const std::string yearBytes = ostrilo::readWholeFile(yearFile);
    std::printf(
        "Year: %zu count files of %zu bytes in all, a table file of %zu bytes (%d records)\n",
        year.files().size(), fileBytes(year.files()), yearBytes.size(), yearTable.Count());

    registerCases(inputs, firstOnly, full, tableFile, tableBytes, year, yearTable, yearFile,
                  yearBytes);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ostrilo_bench: %s\n", e.what());
    return 1;
  }
  benchmark::Shutdown();
  return 0;
}
