// Peak heap of an export, counted by this binary's own operator new: an export's memory follows
// its output and the table, whatever the register holds.
#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "core/export/TableExports.h"
#include "core/register/StationRegister.h"
#include "core/table/ATRTable.h"
#include "core/table/TableFile.h"
#include "tests/support/TableTestSupport.h"

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

void* countedOrNull(std::size_t size) noexcept {
  try {
    return counted(size);
  } catch (...) {
    return nullptr;
  }
}

void uncounted(void* p) noexcept {
  if (p == nullptr) return;
  g_live -= malloc_usable_size(p);
  std::free(p);
}

}  // namespace

void* operator new(std::size_t size) { return counted(size); }
void* operator new[](std::size_t size) { return counted(size); }
// The no-throw forms too (std::stable_sort's buffer takes one): every block this binary frees
// must have come from the same allocator.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return countedOrNull(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return countedOrNull(size);
}
void operator delete(void* p, const std::nothrow_t&) noexcept { uncounted(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { uncounted(p); }
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

// 1,049 stations x 1,000 dates, every hour counted: one row more than a worksheet holds. The
// refusal comes before the export table (1.1 GB of cells) is built.
TEST(ExportMemory, AWorkbookTooLongIsRefusedBeforeItsTableIsBuilt) {
  test::ScratchDir dir;
  std::vector<std::string> names;
  std::vector<DateNumber> dates;
  for (int s = 0; s < 1049; ++s) names.push_back("S" + std::to_string(s));
  for (int d = 0; d < 1000; ++d) dates.push_back(40000 + d);
  ATRTable table;
  table.LoadFromFile(dir.write(
      "wide.cont", encodeTableFile(dates, names, std::vector<std::int16_t>(1049 * 1000 * 24, 1))));
  Error refused(ErrorKind::Io, "");
  const std::size_t growth = peakGrowth([&] {
    refused = test::thrownBy([&] { saveHourlyExport(dir.file("h.xlsx"), table, nullptr, {}); });
  });
  EXPECT_EQ(refused.kind(), ErrorKind::Overflow);
  EXPECT_NE(refused.description().find("1049000 rows"), std::string::npos) << refused.description();
  EXPECT_LT(growth, std::size_t{1} << 20);
  EXPECT_FALSE(std::filesystem::exists(dir.file("h.xlsx")));
}

}  // namespace
}  // namespace ostrilo
