// Peak heap of an export, counted by this binary's own operator new: an export's memory follows
// its output and the table, whatever the register holds.
#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "core/export/TableExports.h"
#include "core/register/StationRegister.h"

namespace {

std::atomic<std::size_t> g_live{0};
std::atomic<std::size_t> g_peak{0};

void* counted(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  const std::size_t live = g_live += malloc_usable_size(p);
  for (std::size_t peak = g_peak; live > peak && !g_peak.compare_exchange_weak(peak, live);) {
  }
  return p;
}

void uncounted(void* p) noexcept {
  if (p == nullptr) return;
  g_live -= malloc_usable_size(p);
  std::free(p);
}

}  // namespace

void* operator new(std::size_t size) { return counted(size); }
void* operator new[](std::size_t size) { return counted(size); }
void operator delete(void* p) noexcept { uncounted(p); }
void operator delete[](void* p) noexcept { uncounted(p); }
void operator delete(void* p, std::size_t) noexcept { uncounted(p); }
void operator delete[](void* p, std::size_t) noexcept { uncounted(p); }

namespace ostrilo {
namespace {

// The most the heap grows above where it stood while run runs.
template <typename Run>
std::size_t peakGrowth(const Run& run) {
  const std::size_t before = g_live;
  g_peak = before;
  run();
  return g_peak - before;
}

std::vector<StationYear> stationYears(int count) {
  std::vector<StationYear> rows(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    rows[static_cast<std::size_t>(i)].station = "S" + std::to_string(i);
  return rows;
}

// A register of 16,000 columns, and one with a name of 5 MB, over 12 stations' factors (206
// rows each): copied into every row they would take 1.6 GB and 12 GB.
TEST(ExportMemory, FollowsTheOutputNotTheRegister) {
  const std::vector<StationYear> rows = stationYears(12);
  std::string wide = "station";
  for (int c = 0; c < 16000; ++c) wide += ",c" + std::to_string(c);
  wide += '\n';
  for (int s = 0; s < 12; ++s) {
    wide += "S" + std::to_string(s);
    for (int c = 0; c < 16000; ++c) wide += ",text of column " + std::to_string(c);
    wide += '\n';
  }
  const StationRegister wideRegister = StationRegister::parse(wide, "wide.csv");
  const StationRegister longName = StationRegister::parse(
      "station,name\nS0,\"" + std::string(5'000'000, 'n') + "\"\n", "long.csv");

  std::string plain;
  const std::size_t without =
      peakGrowth([&] { plain = buildCsvText(factorsExport(rows, nullptr).table); });
  for (const StationRegister* names : {&wideRegister, &longName}) {
    std::string csv;
    const std::size_t with =
        peakGrowth([&] { csv = buildCsvText(factorsExport(rows, names).table); });
    EXPECT_EQ(csv, plain);
    // The register's column headers are the only growth: about 1 MB for 16,000 of them.
    EXPECT_LT(with, without + (std::size_t{3} << 20)) << with << " vs " << without;
  }
}

}  // namespace
}  // namespace ostrilo
