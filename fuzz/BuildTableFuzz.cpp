// libFuzzer target: any bytes as a count file. BuildTable and AddToTable either fill the table
// with exactly what the lines say or fail with an ostrilo::Error that names the file and leave
// the table as it was; whatever they fill saves and loads back unchanged.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzSupport.h"

namespace {

// A table to add to, holding stations and dates that the fuzzer's lines may meet again.
const ostrilo::ATRTable& heldTable() {
  static const ostrilo::ATRTable table = [] {
    ostrilo::ATRTable t;
    t.setInFile(ostrilo::fuzz::writeScratch(
        "held.dat",
        "31010305 0101   65   42   26   33   54  130  387  821 1040  918  679  752\r\n"
        "32010305 0101  756  761  773 1004 1122 1200  973  627  392  352  245  123\r\n"
        "31010405 AAAA    1    2    3    4    5    6    7    8    9   10   11   12\n"));
    t.BuildTable();
    return t;
  }();
  return table;
}

}  // namespace

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
