#include <algorithm>
#include <tuple>

#include "core/checks/CheckRules.h"

namespace ostrilo {

namespace {

using checkrules::codeBit;
using checkrules::kCriticalCodes;

constexpr std::array<std::string_view, kCheckCodeCount> kCodeNames{
    "MISSING_HOURS", "ZERO_RUN",       "ZERO_DAY",        "ZERO_DAYTIME",    "DAY_BAND",
    "REPEATED",      "NIGHT_OVER_DAY", "COPIED_DAY",      "MISSING_WEEKDAY", "HOLIDAY",
    "CLOCK_CHANGE",  "OWN_BAND",       "STATION_CEILING", "DIRECTION_SPLIT", "MADT_YEAR",
    "AADT_YEAR",     "DEVICE_PROBLEM", "TMG_RESTRICTION", "DAY_OF_WEEK"};

// DirectionSplit and MadtYear are critical only in their listing: no day carries their bit.
constexpr std::uint32_t kListedCritical =
    codeBit(CheckCode::DirectionSplit) | codeBit(CheckCode::MadtYear);
constexpr std::uint32_t kInfoCodes = codeBit(CheckCode::Holiday) | codeBit(CheckCode::ClockChange) |
                                     codeBit(CheckCode::Restriction) |
                                     codeBit(CheckCode::WeekdayStated);
constexpr std::uint32_t kWarningCodes = ~(kCriticalCodes | kInfoCodes);

}  // namespace

std::string_view checkCodeName(CheckCode code) {
  return kCodeNames.at(static_cast<std::size_t>(code));
}

Severity severityOf(CheckCode code) {
  if ((codeBit(code) & (kCriticalCodes | kListedCritical)) != 0) return Severity::Critical;
  return (codeBit(code) & kInfoCodes) != 0 ? Severity::Info : Severity::Warning;
}

char severityLetter(Severity severity) {
  return severity == Severity::Critical ? 'C' : severity == Severity::Warning ? 'W' : 'I';
}

std::span<const CheckFlag> CheckResults::flagsOf(std::int32_t dateI, std::int32_t stationI) const {
  if (dateI < 0 || stationI < 0 || static_cast<std::size_t>(dateI) >= m_dates.size() ||
      static_cast<std::size_t>(stationI) >= m_stations.size()) {
    return {};
  }
  const auto key = [](const CheckFlag& f) { return std::tuple(f.station, f.day, !f.wholeMonth()); };
  const auto wanted = std::tuple(stationI, m_dates[static_cast<std::size_t>(dateI)], true);
  const auto first = std::partition_point(m_flags.begin(), m_flags.end(),
                                          [&](const CheckFlag& f) { return key(f) < wanted; });
  const auto last = std::partition_point(first, m_flags.end(),
                                         [&](const CheckFlag& f) { return key(f) == wanted; });
  return {first, last};
}

bool CheckResults::hasCritical(std::int32_t dateI, std::int32_t stationI) const {
  const auto stations = static_cast<std::int64_t>(m_stations.size());
  if (dateI < 0 || stationI < 0 || stationI >= stations) return false;
  const auto r = static_cast<std::size_t>(stations * dateI + stationI);
  return r < m_codes.size() && (m_codes[r] & kCriticalCodes) != 0;
}

std::vector<bool> CheckResults::criticalDays() const {
  std::vector<bool> days(m_codes.size());
  for (std::size_t r = 0; r < m_codes.size(); ++r) days[r] = (m_codes[r] & kCriticalCodes) != 0;
  return days;
}

std::int32_t CheckResults::criticalDayCount() const {
  return static_cast<std::int32_t>(std::count_if(
      m_codes.begin(), m_codes.end(), [](std::uint32_t c) { return (c & kCriticalCodes) != 0; }));
}

std::int32_t CheckResults::warningDayCount() const {
  return static_cast<std::int32_t>(std::count_if(m_codes.begin(), m_codes.end(), [](auto c) {
    return (c & kWarningCodes) != 0 && (c & kCriticalCodes) == 0;
  }));
}

DayCounts CheckResults::dayCounts() const {
  DayCounts counts;
  for (std::size_t r = 0; r < m_codes.size(); ++r) {
    const bool critical = (m_codes[r] & kCriticalCodes) != 0;
    counts.complete += m_state[r] == 2;
    counts.incomplete += m_state[r] == 1;
    counts.faulty += m_state[r] == 2 && critical;
    counts.warning += !critical && (m_codes[r] & kWarningCodes) != 0;
  }
  return counts;
}

std::vector<bool> CheckResults::faultyCompleteDays() const {
  std::vector<bool> days(m_codes.size());
  for (std::size_t r = 0; r < m_codes.size(); ++r) {
    days[r] = m_state[r] == 2 && (m_codes[r] & kCriticalCodes) != 0;
  }
  return days;
}

bool CheckResults::isComplete(std::int32_t dateI, std::int32_t stationI) const {
  const auto stations = static_cast<std::int64_t>(m_stations.size());
  if (dateI < 0 || stationI < 0 || stationI >= stations) return false;
  const auto r = static_cast<std::size_t>(stations * dateI + stationI);
  return r < m_state.size() && m_state[r] == 2;
}

bool CheckResults::isCounted(std::int32_t dateI, std::int32_t stationI) const {
  const auto stations = static_cast<std::int64_t>(m_stations.size());
  if (dateI < 0 || stationI < 0 || stationI >= stations) return false;
  const auto r = static_cast<std::size_t>(stations * dateI + stationI);
  return r < m_state.size() && m_state[r] != 0;
}

}  // namespace ostrilo
