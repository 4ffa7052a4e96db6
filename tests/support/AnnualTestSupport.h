#pragma once

// A year of counts whose annual figures are known in closed form.

#include <cmath>
#include <functional>
#include <string>
#include <string_view>

#include "tests/support/SelectionTestSupport.h"

namespace ostrilo::test {

// V(d) = 10,000 x s(month) x w(day of week): AADT 10,000 by the month x day-of-week method.
inline int syntheticDailyTotal(DateNumber date) {
  static constexpr double s[] = {0.80, 0.85, 0.95, 1.00, 1.05, 1.15,
                                 1.20, 1.18, 1.05, 1.00, 0.92, 0.85};
  static constexpr double w[] = {1.00, 1.02, 1.03, 1.05, 1.15, 0.90, 0.85};  // Monday first
  const CivilDate c = civilFromDate(date);
  return static_cast<int>(std::lround(10000 * s[c.month - 1] * w[(weekday(date) + 5) % 7]));
}

// Hour h = round(V(d) x p(h)) for h >= 1; hour 0 takes the rest so that the day adds up to V(d).
inline Day syntheticHours(int total) {
  static constexpr double p[] = {0.010, 0.006, 0.005, 0.005, 0.008, 0.020, 0.055, 0.080,
                                 0.070, 0.055, 0.050, 0.052, 0.055, 0.055, 0.058, 0.065,
                                 0.075, 0.068, 0.060, 0.045, 0.037, 0.030, 0.022, 0.014};
  Day v{};
  int rest = total;
  for (std::size_t h = 1; h < kHoursPerDay; ++h) {
    v[h] = static_cast<int>(std::lround(total * p[h]));
    rest -= v[h];
  }
  v[0] = rest;
  return v;
}

// The count-file text of the synthetic 2023 at one station; edit may replace a day's two lines
// (return the text to write instead, "" for none).
inline std::string syntheticYear(
    std::string_view station,
    const std::function<std::string(DateNumber, const std::string&)>& edit = {}) {
  std::string text;
  for (DateNumber d = day(2023, 1, 1); d <= day(2023, 12, 31); d += 1) {
    const std::string lines = dayLines(station, d, syntheticHours(syntheticDailyTotal(d)));
    text += edit ? edit(d, lines) : lines;
  }
  return text;
}

}  // namespace ostrilo::test
