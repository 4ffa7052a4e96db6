#pragma once

// Counts built in memory, day by day, for the checks and the figures over them.

#include <array>
#include <string>
#include <vector>

#include "core/table/CountView.h"
#include "core/table/DateNumber.h"

namespace ostrilo::test {

inline constexpr int kNotCounted = -1;

inline DateNumber on(const char* iso) { return *parseIsoDate(iso); }
using Hours = std::array<int, kHoursPerDay>;

// Hours 1-23 hold 1-23 and hour 0 the rest of the total: no flag of its own.
inline Hours shapedDay(int total) {
  Hours v{};
  for (int h = 1; h < kHoursPerDay; ++h) v[static_cast<std::size_t>(h)] = h;
  v[0] = total - 276;
  return v;
}

inline Hours withHours(Hours v, int first, int last, int value) {
  for (int h = first; h <= last; ++h) v[static_cast<std::size_t>(h)] = value;
  return v;
}

// Stations and dates fixed up front; days not set are not counted.
class DayCounts {
 public:
  DayCounts(std::vector<std::string> stations, DateNumber first, int days)
      : m_stations(std::move(stations)) {
    for (int d = 0; d < days; ++d) m_dates.push_back(first + d);
    m_counted.resize(m_stations.size() * m_dates.size());
    m_volumes.resize(m_counted.size() * kHoursPerDay);
  }
  DayCounts& set(std::size_t station, DateNumber date, const Hours& v) {
    const std::size_t r =
        static_cast<std::size_t>(date - m_dates.front()) * m_stations.size() + station;
    m_counted[r] = 0;
    for (int h = 0; h < kHoursPerDay; ++h) {
      const int x = v[static_cast<std::size_t>(h)];
      m_volumes[r * kHoursPerDay + static_cast<std::size_t>(h)] =
          static_cast<std::int16_t>(x == kNotCounted ? 0 : x);
      if (x != kNotCounted) m_counted[r] |= HourMask{1} << h;
    }
    return *this;
  }
  [[nodiscard]] CountView view() const { return {m_stations, m_dates, m_volumes, m_counted}; }

 private:
  std::vector<std::string> m_stations;
  std::vector<DateNumber> m_dates;
  std::vector<std::int16_t> m_volumes;
  std::vector<HourMask> m_counted;
};

}  // namespace ostrilo::test
