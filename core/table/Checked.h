#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "core/table/Error.h"

namespace ostrilo {

// Integer results that must fit a narrower type: anything outside it is an overflow error,
// never a wrap-around.
template <typename Narrow, typename Wide>
[[nodiscard]] Narrow checkedNarrow(Wide value, const char* what) {
  if (value < static_cast<Wide>(std::numeric_limits<Narrow>::min()) ||
      value > static_cast<Wide>(std::numeric_limits<Narrow>::max())) {
    throw Error(ErrorKind::Overflow, std::string("Overflow: ") + what + " = " +
                                         std::to_string(value) + " lies outside its range");
  }
  return static_cast<Narrow>(value);
}

}  // namespace ostrilo
