#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/checks/DataChecks.h"

namespace ostrilo {

// The flags that what a TMG file said about a day earns it (CountView::notes): restriction 2
// DeviceProblem, 1, 3, 4 and 5 Restriction, a contradicting day of the week WeekdayStated.

[[nodiscard]] constexpr bool isNoteCode(CheckCode code) {
  return code == CheckCode::DeviceProblem || code == CheckCode::Restriction ||
         code == CheckCode::WeekdayStated;
}
// The codes of record r as bits (1 << code); 0 without a note.
[[nodiscard]] std::uint32_t noteCodes(const CountView& view, std::size_t record);
// The TMG's words for the restriction, or the stated and the real day of the week.
[[nodiscard]] std::string noteDetail(const CountView& view, std::size_t record, CheckCode code);

}  // namespace ostrilo
