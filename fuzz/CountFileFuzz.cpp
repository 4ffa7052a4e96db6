// libFuzzer target: any text given to the count-file parser ends in parsed lines or an
// ostrilo::Error, and every parsed volume lies in the 16-bit range.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "table/CountFileReader.h"
#include "table/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    for (const ostrilo::CountLine& line : ostrilo::parseCountFile(text, "fuzz.dat")) {
      if (line.name.size() > 4) __builtin_trap();
    }
  } catch (const ostrilo::Error&) {
  }
  return 0;
}
