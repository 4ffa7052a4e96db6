// libFuzzer target: any bytes as a table file, with or without its counted hours.
// LoadFromFile either gives a table that keeps
// every invariant and saves back to a file that loads as the same table, or fails with an
// ostrilo::Error and leaves the table as it was; it never allocates more than the bytes warrant.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ostrilo::fuzz;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string path = writeScratch("fuzz.cont", bytes);

  ostrilo::ATRTable table = heldTable();
  const Picture before = picture(table);
  try {
    table.LoadFromFile(path);
  } catch (const ostrilo::Error&) {
    check(picture(table) == before, "a failed load changed the table");
    return 0;
  }
  checkInvariants(table);
  check(table.lngLast() == std::int32_t{table.StaCount()} * table.DateCount() - 1,
        "a loaded table counts other records than its pairs");
  checkSavesAndLoadsBack(table, scratchFile("again.cont"));
  // Saving writes the same records back, so a file that loads never saves larger than it was
  // with its counted hours: only bytes after the fourth record are dropped.
  const std::string again = readScratch(scratchFile("again.cont"));
  check(again.size() <= bytes.size() + 12 + 4 * table.countedArray().size(),
        "a loaded file saves larger than it was");
  return 0;
}
