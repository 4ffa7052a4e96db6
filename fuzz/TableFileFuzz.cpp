// libFuzzer target: any bytes given to the table-file decoder end in a decoded table or an
// ostrilo::Error, never in a crash, a hang or an allocation larger than the input warrants.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "table/ATRTable.h"
#include "table/Error.h"
#include "table/TableFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    const ostrilo::TableFileContent content = ostrilo::decodeTableFile(bytes, "fuzz.cont");
    // What decodes must encode again to a file that decodes to the same content.
    const std::string again =
        ostrilo::encodeTableFile(content.dates.values(), content.names.values(), content.volumes);
    const ostrilo::TableFileContent second = ostrilo::decodeTableFile(again, "again.cont");
    if (second.volumes != content.volumes || second.names.values() != content.names.values()) {
      __builtin_trap();
    }
  } catch (const ostrilo::Error&) {
  }
  return 0;
}
