#include "core/checks/TmgFlags.h"

#include <array>

#include "core/checks/CheckRules.h"

namespace ostrilo {

namespace {

const DayNote* noteOf(const CountView& view, std::size_t record) {
  if (view.notes == nullptr || view.stations.empty()) return nullptr;
  const std::size_t d = record / view.stations.size();
  const std::size_t s = record % view.stations.size();
  return view.notes->find(view.stations[s], view.dates[d]);
}

using checkrules::codeBit;
using checkrules::kWeekdayNames;

}  // namespace

std::uint32_t noteCodes(const CountView& view, std::size_t record) {
  const DayNote* note = noteOf(view, record);
  if (note == nullptr) return 0;
  std::uint32_t codes = 0;
  if (note->restriction == 2) codes |= codeBit(CheckCode::DeviceProblem);
  if (note->restriction != 0 && note->restriction != 2) codes |= codeBit(CheckCode::Restriction);
  if (note->statedWeekday != 0) codes |= codeBit(CheckCode::WeekdayStated);
  return codes;
}

std::string noteDetail(const CountView& view, std::size_t record, CheckCode code) {
  static constexpr std::array<const char*, 6> kRestrictions{
      "",
      "construction or other activity affected traffic flow, pattern not impacted",
      "counting device problem (malfunction or overflow)",
      "weather affected traffic flow, pattern not impacted",
      "construction or other activity affected traffic flow, pattern impacted",
      "weather affected traffic flow, pattern impacted"};
  const DayNote* note = noteOf(view, record);
  if (note == nullptr) return {};
  if (code == CheckCode::WeekdayStated) {
    const DateNumber date = view.dates[record / view.stations.size()];
    return std::string("the record says ") +
           kWeekdayNames.at(static_cast<std::size_t>(note->statedWeekday - 1)) +
           ", the date is a " + kWeekdayNames.at(static_cast<std::size_t>(weekday(date) - 1));
  }
  return "restriction " + std::to_string(note->restriction) + ": " +
         kRestrictions.at(static_cast<std::size_t>(note->restriction));
}

}  // namespace ostrilo
