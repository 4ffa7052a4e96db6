#include <algorithm>
#include <bit>
#include <numeric>

#include "core/checks/CheckRules.h"

namespace ostrilo::checkrules {

namespace {

constexpr int kZeroRunHours = 7;
constexpr int kDaytimeFirstHour = 4;
constexpr int kDaytimeLastHour = 22;
constexpr int kDaytimeZeroHours = 2;
constexpr int kRepeatedHours = 4;
constexpr int kRepeatedMinVolume = 20;
constexpr int kNightHour = 1;
constexpr int kDayHour = 13;

bool counted(HourMask mask, int hour) { return (mask >> hour) & 1u; }

struct Run {
  int length = 0;
  int start = 0;
};

// The longest runs of one day (the earliest of equal ones), in one pass over its hours. An hour
// not counted ends every run: it is missing, not zero.
struct DayRuns {
  Run zeros;         // counted zero hours
  Run daytimeZeros;  // counted zero hours within the daytime hours
  Run repeat;        // counted hours sharing one volume of at least kRepeatedMinVolume
};

DayRuns runsOf(const std::int16_t* v, HourMask mask) {
  DayRuns best;
  Run zeros;
  Run daytimeZeros;
  Run repeat;
  const auto extend = [](Run& run, Run& longest, int h) {
    if (run.length++ == 0) run.start = h;
    if (run.length > longest.length) longest = run;
  };
  for (int h = 0; h < kHoursPerDay; ++h) {
    const bool isCounted = counted(mask, h);
    if (isCounted && v[h] == 0) {
      extend(zeros, best.zeros, h);
      if (h >= kDaytimeFirstHour && h <= kDaytimeLastHour) {
        extend(daytimeZeros, best.daytimeZeros, h);
      }
    } else {
      zeros.length = 0;
      daytimeZeros.length = 0;
    }
    if (isCounted && v[h] >= kRepeatedMinVolume) {
      if (repeat.length > 0 && v[h] != v[h - 1]) repeat.length = 0;
      extend(repeat, best.repeat, h);
    } else {
      repeat.length = 0;
    }
  }
  return best;
}

bool allZero(const std::int16_t* v) {
  return std::all_of(v, v + kHoursPerDay, [](std::int16_t x) { return x == 0; });
}

std::string missingHoursDetail(HourMask mask) {
  const int missing = kHoursPerDay - std::popcount(mask & kAllHours);
  std::string text = formatDetail("%d hour%s not counted (", missing, missing == 1 ? "" : "s");
  bool first = true;
  for (int h = 0; h < kHoursPerDay;) {
    if (counted(mask, h)) {
      ++h;
      continue;
    }
    int end = h;
    while (end + 1 < kHoursPerDay && !counted(mask, end + 1)) ++end;
    text += formatDetail("%s%02d:00 to %02d:59", first ? "" : ", ", h, end);
    first = false;
    h = end + 1;
  }
  return text + ")";
}

}  // namespace

std::uint32_t dayCodes(const std::int16_t* v, HourMask mask) {
  if (mask == 0) return 0;
  if (mask == kAllHours && allZero(v)) return codeBit(CheckCode::ZeroDay);
  std::uint32_t codes = 0;
  if (mask != kAllHours) codes |= codeBit(CheckCode::MissingHours);
  const DayRuns runs = runsOf(v, mask);
  if (runs.zeros.length >= kZeroRunHours) {
    codes |= codeBit(CheckCode::ZeroRun);
  } else if (runs.daytimeZeros.length >= kDaytimeZeroHours) {
    codes |= codeBit(CheckCode::ZeroDaytime);
  }
  if (runs.repeat.length >= kRepeatedHours) codes |= codeBit(CheckCode::Repeated);
  if (counted(mask, kNightHour) && counted(mask, kDayHour) && v[kNightHour] > v[kDayHour]) {
    codes |= codeBit(CheckCode::NightOverDay);
  }
  return codes;
}

std::int32_t countedTotal(const std::int16_t* v, HourMask mask) {
  std::int32_t total = 0;
  if (mask == kAllHours) return std::accumulate(v, v + kHoursPerDay, total);
  for (int h = 0; h < kHoursPerDay; ++h) {
    if (counted(mask, h)) total += v[h];
  }
  return total;
}

std::string localDetail(CheckCode code, const std::int16_t* v, HourMask mask) {
  switch (code) {
    case CheckCode::MissingHours:
      return missingHoursDetail(mask);
    case CheckCode::ZeroRun: {
      const Run run = runsOf(v, mask).zeros;
      return formatDetail("%d zero hours from %02d:00", run.length, run.start);
    }
    case CheckCode::ZeroDay:
      return "all 24 hours zero";
    case CheckCode::ZeroDaytime: {
      const Run run = runsOf(v, mask).daytimeZeros;
      return formatDetail("%d zero hours from %02d:00", run.length, run.start);
    }
    case CheckCode::Repeated: {
      const Run run = runsOf(v, mask).repeat;
      return formatDetail("%d hours of %d from %02d:00", run.length, v[run.start], run.start);
    }
    case CheckCode::NightOverDay:
      return formatDetail("01:00 has %d, 13:00 has %d", v[kNightHour], v[kDayHour]);
    default:
      return {};
  }
}

}  // namespace ostrilo::checkrules
