// ostrilo-bench-memory: peak memory of building the full table (BuildTable of one largest count
// file, then AddToTable of the next), measured in a fresh process so that generating the inputs
// leaves no trace in the numbers. See bench/README.md.
//
//   ostrilo-bench-memory                       generates the two files, measures, cleans up
//   ostrilo-bench-memory --measure FILE [FILE...]   builds from the first, adds the others

#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "bench/BenchInputs.h"
#include "core/table/ATRTable.h"

extern char** environ;

namespace {

// Live and peak bytes of everything allocated through operator new: exact where the resident set
// size is coarse (pages, and memory the allocator keeps after a free).
std::atomic<long long> g_heapNow{0};
std::atomic<long long> g_heapPeak{0};

void* track(void* p) {
  if (p == nullptr) throw std::bad_alloc();
  const auto size = static_cast<long long>(::malloc_usable_size(p));
  const long long now = g_heapNow.fetch_add(size, std::memory_order_relaxed) + size;
  long long peak = g_heapPeak.load(std::memory_order_relaxed);
  while (now > peak && !g_heapPeak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
  }
  return p;
}

void untrack(void* p) noexcept {
  if (p == nullptr) return;
  g_heapNow.fetch_sub(static_cast<long long>(::malloc_usable_size(p)), std::memory_order_relaxed);
  std::free(p);
}

}  // namespace

void* operator new(std::size_t n) { return track(std::malloc(n == 0 ? 1 : n)); }
void* operator new[](std::size_t n) { return track(std::malloc(n == 0 ? 1 : n)); }
void operator delete(void* p) noexcept { untrack(p); }
void operator delete[](void* p) noexcept { untrack(p); }
void operator delete(void* p, std::size_t) noexcept { untrack(p); }
void operator delete[](void* p, std::size_t) noexcept { untrack(p); }

namespace {

constexpr const char* kProgram = "ostrilo-bench-memory";

// Makes VmHWM restart from the current resident size (Linux 4.0 and later).
bool resetPeakRss() {
  std::ofstream clearRefs("/proc/self/clear_refs");
  clearRefs << "5";
  clearRefs.flush();
  return static_cast<bool>(clearRefs);
}

double mib(long long bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

int measure(const std::vector<std::string>& files) {
  const bool reset = resetPeakRss();
  const long long rssStart = ostrilo::bench::procStatusBytes("VmRSS");
  const long long heapStart = g_heapNow.load();
  g_heapPeak.store(heapStart);

  std::printf("%-29s %11s %8s %11s %11s %11s %11s  %s\n", "step", "input B", "records", "table B",
              "budget B", "peak heap B", "peak RSS B", "RSS within budget");
  ostrilo::ATRTable table;
  bool allWithin = true;
  long long largestInput = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    table.setInFile(files[i]);
    if (i == 0) {
      table.BuildTable();
    } else {
      table.AddToTable();
    }
    const auto input = static_cast<long long>(std::filesystem::file_size(files[i]));
    const long long records = table.Count();
    largestInput = std::max(largestInput, input);
    // Volumes, daily total and counted-hours mask of every record.
    const long long tableBytes = records * (ostrilo::kHoursPerDay * 2 + 4 + 4);
    const long long budget = tableBytes + largestInput + 32 * 1024 * 1024;
    const long long heap = g_heapPeak.load() - heapStart;
    const long long rss = ostrilo::bench::procStatusBytes("VmHWM") - rssStart;
    const bool within = rss <= budget;
    allWithin = allWithin && within;
    // A year's 53 steps would bury the result; its first and last steps tell it.
    if (files.size() > 4 && i != 0 && i + 1 != files.size()) continue;
    const std::string step = std::string(i == 0 ? "BuildTable " : "AddToTable ") +
                             std::filesystem::path(files[i]).filename().string();
    std::printf("%-29s %11lld %8lld %11lld %11lld %11lld %11lld  %s\n", step.c_str(), input,
                records, tableBytes, budget, heap, rss, within ? "yes" : "NO");
    std::printf("%-29s %11.2f %8s %11.2f %11.2f %11.2f %11.2f  (MiB)\n", "", mib(input), "",
                mib(tableBytes), mib(budget), mib(heap), mib(rss));
  }
  std::printf(
      "\nPeaks count from the start of the first step and include everything held since, so the\n"
      "last row is the peak of building the whole table. Table = records x (24 x 2 + 4 + 4)\n"
      "bytes; budget = the table after the step + the largest input so far + 32 MiB.%s\n",
      reset ? "" : "\nVmHWM could not be reset: the RSS peak may include start-up.");
  return allWithin ? 0 : 3;
}

// The measurement runs in a new process of this program, whose heap has seen nothing else.
int spawnMeasurement(const std::vector<std::string>& files) {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::vector<std::string> args = {self, "--measure"};
  args.insert(args.end(), files.begin(), files.end());
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (const int err = ::posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv.data(), environ);
      err != 0) {
    std::fprintf(stderr, "%s: cannot start %s: error %d\n", kProgram, self.c_str(), err);
    return 1;
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return 1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && (args[0] == "-h" || args[0] == "--help")) {
      std::printf(
          "Usage: %s                      generate the two largest count files and measure\n"
          "       %s --year               the same for a year of 1,000 stations in 53 files\n"
          "       %s --measure FILE...    build from the first file, add the others\n"
          "Prints the peak heap and peak resident memory of building the table, against\n"
          "table + largest input + 32 MiB. Exit status 3 when the resident peak exceeds it.\n",
          kProgram, kProgram, kProgram);
      return 0;
    }
    if (!args.empty() && args[0] == "--measure") {
      if (args.size() < 2) {
        std::fprintf(stderr, "%s: --measure needs at least one count file\n", kProgram);
        return 2;
      }
      return measure({args.begin() + 1, args.end()});
    }
    if (!args.empty() && args[0] == "--year") {
      const ostrilo::bench::BenchInputs year(ostrilo::bench::InputSet::Year);
      std::printf("Inputs: %zu weekly files in %s\n\n", year.files().size(), year.folder().c_str());
      std::fflush(stdout);
      return spawnMeasurement(year.files());
    }
    if (!args.empty()) {
      std::fprintf(stderr, "%s: unknown argument \"%s\"; try --help\n", kProgram, argv[1]);
      return 2;
    }
    const ostrilo::bench::BenchInputs inputs;
    std::printf("Inputs: %s, %s\n\n", inputs.firstFile().c_str(), inputs.secondFile().c_str());
    std::fflush(stdout);
    return spawnMeasurement({inputs.firstFile(), inputs.secondFile()});
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", kProgram, e.what());
    return 1;
  }
}
