#include "core/checks/DataChecks.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <tuple>
#include <unordered_map>

#include "core/calendar/HolidayCalendar.h"
#include "core/checks/CheckRules.h"
#include "core/checks/TmgFlags.h"
#include "core/checks/YearChecks.h"

namespace ostrilo {

namespace {

using checkrules::codeBit;
using checkrules::countedTotal;
using checkrules::dayCodes;
using checkrules::formatDetail;
using checkrules::kCriticalCodes;
using checkrules::kMonthNames;
using checkrules::kWeekdayNames;
using checkrules::localDetail;

constexpr int kBandPercent = 20;
constexpr int kBandMinOtherDays = 2;
constexpr int kCopyPercent = 2;
constexpr DateNumber kCopyDistanceDays = 7;

// Monday first, as a week is read in traffic work.
constexpr std::array<int, 7> kWeekdayListOrder{1, 2, 3, 4, 5, 6, 0};

// The band of a complete day against the sum and number of the other valid days of its weekday
// in its month; the detail when the day lies outside it.
std::optional<std::string> bandDetail(std::int32_t total, std::int64_t others,
                                      std::int64_t othersSum, int weekday, int month) {
  if (others < kBandMinOtherDays) return std::nullopt;
  // total against the mean othersSum / others, kept in integers so the threshold is exact
  const std::int64_t scaled = std::int64_t{total} * others;
  const std::int64_t off = std::llabs(scaled - othersSum);
  if (off * 100 <= othersSum * kBandPercent) return std::nullopt;
  return formatDetail("total %d, %.1f %% %s the other %ss of %s", total,
                      100.0 * static_cast<double>(off) / static_cast<double>(othersSum),
                      scaled > othersSum ? "above" : "below", kWeekdayNames[weekday],
                      kMonthNames[month - 1]);
}

// A complete day against the complete day seven days earlier; the detail when it was copied.
std::optional<std::string> copyDetail(const std::int16_t* v, const std::int16_t* earlier,
                                      std::int32_t earlierTotal, DateNumber earlierDate) {
  std::int64_t off = 0;
  for (int h = 0; h < kHoursPerDay; ++h) off += std::llabs(std::int64_t{v[h]} - earlier[h]);
  if (off * 100 >= std::int64_t{earlierTotal} * kCopyPercent) return std::nullopt;
  const std::string other = isoDate(earlierDate);
  if (off == 0) return "same 24 volumes as " + other;
  return formatDetail("nearly the same 24 volumes as %s (off by %lld in all, %.1f %% of its total)",
                      other.c_str(), static_cast<long long>(off),
                      100.0 * static_cast<double>(off) / earlierTotal);
}

// Where each date lies in the calendar, months and years numbered in date order.
struct Calendar {
  std::vector<std::int32_t> order;    // date indexes by date number
  std::vector<std::int32_t> monthOf;  // by date index
  std::vector<std::int32_t> yearOf;   // by date index
  std::vector<int> weekdayOf;         // by date index, 0 = Sunday
  std::vector<CivilDate> months;      // by month number, the first of each month
  std::vector<std::int32_t> monthYear;
  std::int32_t years = 0;
  std::vector<std::int32_t> weekBefore;  // by date index: the date seven days earlier, or -1
};

Calendar calendarOf(std::span<const DateNumber> dates) {
  Calendar c;
  c.order.resize(dates.size());
  std::iota(c.order.begin(), c.order.end(), 0);
  std::sort(c.order.begin(), c.order.end(),
            [&](std::int32_t a, std::int32_t b) { return dates[a] < dates[b]; });
  c.monthOf.resize(dates.size());
  c.yearOf.resize(dates.size());
  c.weekdayOf.resize(dates.size());
  std::unordered_map<DateNumber, std::int32_t> indexOf;
  indexOf.reserve(dates.size());
  for (const std::int32_t d : c.order) {
    const CivilDate civil = civilFromDate(dates[d]);
    if (c.months.empty() || c.months.back().year != civil.year) ++c.years;
    if (c.months.empty() || c.months.back().year != civil.year ||
        c.months.back().month != civil.month) {
      c.months.push_back({civil.year, civil.month, 1});
      c.monthYear.push_back(c.years - 1);
    }
    c.monthOf[d] = static_cast<std::int32_t>(c.months.size()) - 1;
    c.yearOf[d] = c.years - 1;
    c.weekdayOf[d] = weekday(dates[d]) - 1;
    indexOf.emplace(dates[d], d);
  }
  c.weekBefore.resize(dates.size());
  for (std::size_t d = 0; d < dates.size(); ++d) {
    const auto found = indexOf.find(dates[d] - kCopyDistanceDays);
    c.weekBefore[d] = found == indexOf.end() ? -1 : found->second;
  }
  return c;
}

std::size_t recordCount(const CountView& view) {
  const std::size_t records = view.stations.size() * view.dates.size();
  if (view.counted.size() < records || view.volumes.size() / kHoursPerDay < records) {
    throw std::invalid_argument("count view: arrays shorter than its stations x dates");
  }
  return records;
}

}  // namespace

namespace {

// What the first pass over the records learns: each day's own flags, totals and validity, and
// the valid days of each station, month and weekday that the band and the weekday coverage
// judge by. Holidays count for the coverage (an AADT keeps them) but not for the band.
struct FirstPass {
  std::vector<std::int32_t> totals;
  std::vector<bool> valid;
  std::vector<std::int64_t> bandSum;
  std::vector<std::int32_t> bandDays;
  std::vector<std::int32_t> validDays;
  std::vector<bool> countedInYear;  // station x year
};

std::vector<checkrules::DateFacts> dateFactsOf(std::span<const DateNumber> dates,
                                               const Calendar& cal,
                                               const HolidayCalendar* holidays) {
  std::vector<checkrules::DateFacts> facts(dates.size());
  for (std::size_t d = 0; d < dates.size(); ++d) {
    const CivilDate civil = civilFromDate(dates[d]);
    facts[d] = {dates[d], civil.year, civil.month, cal.weekdayOf[d],
                holidays != nullptr ? holidays->holidayName(dates[d]) : std::string()};
  }
  return facts;
}

std::size_t cellIndex(std::size_t s, const Calendar& cal, std::int32_t month, int weekday) {
  return (s * cal.months.size() + static_cast<std::size_t>(month)) * 7 +
         static_cast<std::size_t>(weekday);
}

std::size_t cellOf(std::size_t s, const Calendar& cal, std::size_t d) {
  return cellIndex(s, cal, cal.monthOf[d], cal.weekdayOf[d]);
}

void addWeekdayCoverage(std::vector<CheckFlag>& flags, const FirstPass& pass, const Calendar& cal,
                        std::int32_t s, std::int32_t month) {
  const auto year = static_cast<std::size_t>(cal.monthYear[static_cast<std::size_t>(month)]);
  if (!pass.countedInYear[static_cast<std::size_t>(s) * static_cast<std::size_t>(cal.years) +
                          year]) {
    return;
  }
  const CivilDate first = cal.months[static_cast<std::size_t>(month)];
  for (const int k : kWeekdayListOrder) {
    if (pass.validDays[cellIndex(static_cast<std::size_t>(s), cal, month, k)] > 0) continue;
    flags.push_back({s, -1, dateFromCivil(first), CheckCode::MissingWeekday,
                     formatDetail("no valid %s in %s %d", kWeekdayNames[k],
                                  kMonthNames[first.month - 1], first.year)});
  }
}

struct DayContext {
  const CountView& view;
  const FirstPass& pass;
  const Calendar& cal;
  std::span<const checkrules::DateFacts> dates;
  std::unordered_map<std::size_t, std::string>& ownBand;
  const CheckOptions& options;
};

// The flags that compare a counted day with other days, then every flag of the day in code
// order.
void addDayFlags(std::vector<CheckFlag>& flags, std::uint32_t& codes, const DayContext& c,
                 std::int32_t s, std::int32_t d) {
  const std::size_t stations = c.view.stations.size();
  const std::size_t r = stations * static_cast<std::size_t>(d) + static_cast<std::size_t>(s);
  const std::int16_t* v = c.view.volumes.data() + r * kHoursPerDay;
  const HourMask mask = c.view.counted[r] & kAllHours;
  const std::int32_t total = c.pass.totals[r];
  const checkrules::DateFacts& date = c.dates[static_cast<std::size_t>(d)];
  std::optional<std::string> band;
  std::optional<std::string> copy;
  if (mask == kAllHours && total > 0 && date.holiday.empty()) {
    // Against the other valid days: a valid day leaves its own cell.
    const std::size_t cell =
        cellOf(static_cast<std::size_t>(s), c.cal, static_cast<std::size_t>(d));
    const bool valid = c.pass.valid[r];
    band = bandDetail(total, c.pass.bandDays[cell] - (valid ? 1 : 0),
                      c.pass.bandSum[cell] - (valid ? total : 0), date.weekday, date.month);
  }
  if (const std::int32_t earlier = c.cal.weekBefore[static_cast<std::size_t>(d)];
      mask == kAllHours && earlier >= 0) {
    const std::size_t e =
        stations * static_cast<std::size_t>(earlier) + static_cast<std::size_t>(s);
    if ((c.view.counted[e] & kAllHours) == kAllHours) {
      copy = copyDetail(v, c.view.volumes.data() + e * kHoursPerDay, c.pass.totals[e],
                        c.view.dates[static_cast<std::size_t>(earlier)]);
    }
  }
  if (band) codes |= codeBit(CheckCode::DayBand);
  if (copy) codes |= codeBit(CheckCode::CopiedDay);
  const auto own = c.ownBand.find(r);
  if (own != c.ownBand.end()) codes |= codeBit(CheckCode::OwnBand);
  for (int k = 0; k < kCheckCodeCount; ++k) {
    const auto code = static_cast<CheckCode>(k);
    if ((codes & codeBit(code)) == 0) continue;
    std::string detail;
    switch (code) {
      case CheckCode::DayBand:
        detail = std::move(*band);
        break;
      case CheckCode::CopiedDay:
        detail = std::move(*copy);
        break;
      case CheckCode::OwnBand:
        detail = std::move(own->second);
        break;
      case CheckCode::Holiday:
        detail = date.holiday;
        break;
      case CheckCode::ClockChange:
        detail =
            checkrules::clockChangeDetail(c.options.holidays->skippedHour(date.day).value_or(2));
        break;
      default:
        detail = isNoteCode(code) ? noteDetail(c.view, r, code) : localDetail(code, v, mask);
    }
    flags.push_back({s, d, date.day, code, std::move(detail)});
  }
}

// The first pass over every counted day: its own codes and state, and the totals and valid-day
// counts that the rules comparing days need.
FirstPass firstPass(const CountView& view, const Calendar& cal,
                    std::span<const checkrules::DateFacts> dates, const CheckOptions& options,
                    std::vector<std::uint32_t>& dayCodesOut, std::vector<std::uint8_t>& state) {
  const std::size_t records = dayCodesOut.size();
  const std::size_t stations = view.stations.size();
  const std::size_t cells = stations * cal.months.size() * 7;
  FirstPass pass{std::vector<std::int32_t>(records),
                 std::vector<bool>(records),
                 std::vector<std::int64_t>(cells),
                 std::vector<std::int32_t>(cells),
                 std::vector<std::int32_t>(cells),
                 std::vector<bool>(stations * static_cast<std::size_t>(cal.years))};
  for (std::size_t r = 0; r < records; ++r) {
    const std::int16_t* v = view.volumes.data() + r * kHoursPerDay;
    const HourMask mask = view.counted[r] & kAllHours;
    if (mask == 0) continue;
    const std::size_t s = r % stations;
    const std::size_t d = r / stations;
    std::uint32_t codes = dayCodes(v, mask) | noteCodes(view, r);
    if ((codes & codeBit(CheckCode::MissingHours)) != 0 && options.holidays != nullptr &&
        checkrules::onlySkippedHourMissing(mask, options.holidays->skippedHour(view.dates[d]))) {
      codes = (codes & ~codeBit(CheckCode::MissingHours)) | codeBit(CheckCode::ClockChange);
    }
    if (!dates[d].holiday.empty()) codes |= codeBit(CheckCode::Holiday);
    dayCodesOut[r] = codes;
    state[r] = mask == kAllHours ? 2 : 1;
    pass.totals[r] = countedTotal(v, mask);
    pass.countedInYear[s * static_cast<std::size_t>(cal.years) +
                       static_cast<std::size_t>(cal.yearOf[d])] = true;
    if (mask == kAllHours && pass.totals[r] > 0 && (codes & kCriticalCodes) == 0) {
      pass.valid[r] = true;
      const std::size_t c = cellOf(s, cal, d);
      ++pass.validDays[c];
      if (dates[d].holiday.empty()) {
        pass.bandSum[c] += pass.totals[r];
        ++pass.bandDays[c];
      }
    }
  }
  return pass;
}

// The station-year flags join the others; a year flag comes first in its year, then month
// flags, then days: the order of the rest.
void addCeilingFlags(std::vector<CheckFlag>& flags, std::vector<CheckFlag> ceilings) {
  if (ceilings.empty()) return;
  flags.insert(flags.end(), std::make_move_iterator(ceilings.begin()),
               std::make_move_iterator(ceilings.end()));
  const auto key = [](const CheckFlag& f) {
    return std::tuple(f.station, f.day, f.wholeYear() ? 0 : f.wholeMonth() ? 1 : 2);
  };
  std::stable_sort(flags.begin(), flags.end(),
                   [&](const CheckFlag& a, const CheckFlag& b) { return key(a) < key(b); });
}

}  // namespace

CheckResults runDataChecks(const CountView& view, const CheckOptions& options) {
  const std::size_t records = recordCount(view);
  const auto stations = static_cast<std::int32_t>(view.stations.size());
  const Calendar cal = calendarOf(view.dates);
  const std::vector<checkrules::DateFacts> dates = dateFactsOf(view.dates, cal, options.holidays);

  CheckResults results;
  results.m_stations.assign(view.stations.begin(), view.stations.end());
  results.m_dates.assign(view.dates.begin(), view.dates.end());
  results.m_codes.resize(records);
  results.m_state.resize(records);
  if (options.holidays != nullptr) results.m_calendar = options.holidays->name();
  const FirstPass pass = firstPass(view, cal, dates, options, results.m_codes, results.m_state);
  const checkrules::DayFacts facts{dates, view.stations.size(), pass.totals, &pass.valid};
  std::unordered_map<std::size_t, std::string> ownBand = checkrules::ownBandDetails(facts);
  const DayContext context{view, pass, cal, dates, ownBand, options};

  // Station after station through the dates in calendar order, so the flags come out sorted.
  for (std::int32_t s = 0; s < stations; ++s) {
    std::int32_t month = -1;
    for (const std::int32_t d : cal.order) {
      if (cal.monthOf[d] != month) {
        month = cal.monthOf[d];
        addWeekdayCoverage(results.m_flags, pass, cal, s, month);
      }
      const std::size_t r = static_cast<std::size_t>(stations) * d + s;
      if ((view.counted[r] & kAllHours) == 0) continue;
      addDayFlags(results.m_flags, results.m_codes[r], context, s, d);
    }
  }
  addCeilingFlags(results.m_flags, checkrules::stationCeilingFlags(facts, options.ceilings));
  appendYearChecks(view, options, results.criticalDays(), results.m_flags);
  return results;
}

CheckResults runDataChecks(const ATRTable& table, const CheckOptions& options) {
  return runDataChecks(CountView::of(table), options);
}

}  // namespace ostrilo
