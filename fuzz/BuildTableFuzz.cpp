// libFuzzer target: any bytes as a count file. BuildTable and AddToTable either fill the table
// with exactly what the lines say or fail with an ostrilo::Error that names the file and leave
// the table as it was; whatever they fill saves and loads back unchanged.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ostrilo::fuzz;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string path = writeScratch("fuzz.dat", text);

  ostrilo::ATRTable built = heldTable();
  if (fillAndCheck(built, path, text, false)) checkSavesAndLoadsBack(built, scratchFile("b.cont"));

  ostrilo::ATRTable added = heldTable();
  if (fillAndCheck(added, path, text, true)) checkSavesAndLoadsBack(added, scratchFile("a.cont"));
  return 0;
}
