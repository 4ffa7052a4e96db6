#include "core/annual/AnnualFigures.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <map>
#include <memory>

#include "core/checks/DataChecks.h"
#include "core/table/CsvField.h"

namespace ostrilo {

namespace detail {

struct WindowSums {
  std::int64_t peakSum = 0;
  std::array<std::int32_t, kHoursPerDay> peakHourCount{};
};

struct DayTypeSums {
  std::int32_t days = 0;
  std::array<std::int64_t, kHoursPerDay> hourSum{};
  WindowSums am;
  WindowSums pm;
};

// Everything one station-year needs from its valid days; the figures follow from it alone.
struct YearSums {
  std::int32_t validDays = 0;
  std::int64_t total = 0;
  std::array<std::int64_t, kCells> cellSum{};
  std::array<std::int32_t, kCells> cellDays{};
  std::vector<std::int32_t> hours;
  std::array<DayTypeSums, 2> dayTypes{};  // weekday, weekend
};

}  // namespace detail

namespace {

using detail::DayTypeSums;
using detail::WindowSums;

constexpr int kLargestDesignHour = 100;

int peakHourOf(const std::int32_t* hours, int begin, int end) {
  int best = begin;
  for (int h = begin + 1; h < end; ++h) {
    if (hours[h] > hours[best]) best = h;
  }
  return best;
}

void addWindow(WindowSums& sums, const std::int32_t* hours, int begin, int end) {
  const int h = peakHourOf(hours, begin, end);
  sums.peakSum += hours[h];
  ++sums.peakHourCount[static_cast<std::size_t>(h)];
}

WindowPeak finishWindow(const DayTypeSums& sums, const WindowSums& window,
                        const std::array<double, kHoursPerDay>& mean, double meanTotal, int begin,
                        int end) {
  WindowPeak peak;
  int best = begin;
  for (int h = begin + 1; h < end; ++h) {
    if (mean[static_cast<std::size_t>(h)] > mean[static_cast<std::size_t>(best)]) best = h;
  }
  peak.ofAverageDay.hour = best;
  peak.ofAverageDay.volume = mean[static_cast<std::size_t>(best)];
  peak.ofAverageDay.sharePct = 100.0 * peak.ofAverageDay.volume / meanTotal;
  peak.meanDailyPeak = static_cast<double>(window.peakSum) / sums.days;
  int frequent = begin;
  for (int h = begin + 1; h < end; ++h) {
    if (window.peakHourCount[static_cast<std::size_t>(h)] >
        window.peakHourCount[static_cast<std::size_t>(frequent)]) {
      frequent = h;
    }
  }
  peak.mostFrequentHour = frequent;
  return peak;
}

DayTypeProfile finishDayType(const DayTypeSums& sums, const PeakWindows& windows) {
  DayTypeProfile profile;
  profile.days = sums.days;
  if (sums.days == 0) return profile;
  double meanTotal = 0;
  for (std::size_t h = 0; h < kHoursPerDay; ++h) {
    profile.meanVolume[h] = static_cast<double>(sums.hourSum[h]) / sums.days;
    meanTotal += profile.meanVolume[h];
  }
  profile.am =
      finishWindow(sums, sums.am, profile.meanVolume, meanTotal, windows.amBegin, windows.amEnd);
  profile.pm =
      finishWindow(sums, sums.pm, profile.meanVolume, meanTotal, windows.pmBegin, windows.pmEnd);
  return profile;
}

// Positions counted from the largest, ties each taking their own: the N-th element of the
// descending order, which nth_element finds without sorting all hours of the year. The 100th
// is read before the 30th is sought among the first 100, which reorders them.
void finishDesignHours(std::vector<std::int32_t>& hours, StationYear& row) {
  const auto n = static_cast<std::ptrdiff_t>(hours.size());
  const auto largest = std::min<std::ptrdiff_t>(n, kLargestDesignHour);
  const auto pick = [&](std::ptrdiff_t position, DesignHour& design) {
    if (n < position) return;
    std::nth_element(hours.begin(), hours.begin() + (position - 1), hours.begin() + largest,
                     std::greater<>());
    design.volume = hours[static_cast<std::size_t>(position - 1)];
    if (row.aadt) design.kPct = 100.0 * *design.volume / *row.aadt;
  };
  if (largest > 0) {
    std::nth_element(hours.begin(), hours.begin() + (largest - 1), hours.end(), std::greater<>());
  }
  pick(kLargestDesignHour, row.v100);
  pick(30, row.v30);
}

void finishRow(detail::YearSums& acc, const PeakWindows& windows, StationYear& row) {
  row.validDays = acc.validDays;
  if (acc.validDays > 0) row.adt = static_cast<double>(acc.total) / acc.validDays;
  for (int m = 0; m < kMonths; ++m) {
    for (int k = 0; k < kDaysOfWeek; ++k) {
      const auto cell = static_cast<std::size_t>(m * kDaysOfWeek + k);
      CellMean& madw = row.madw[static_cast<std::size_t>(m)][static_cast<std::size_t>(k)];
      madw.n = acc.cellDays[cell];
      if (madw.n > 0) {
        madw.value = static_cast<double>(acc.cellSum[cell]) / madw.n;
        ++row.coveredCells;
      } else {
        row.emptyCells.emplace_back(m + 1, k);
      }
    }
  }
  // A mean over months or days of week needs every one of them: averaging the ones that exist
  // would weigh the year towards the counted seasons.
  std::array<double, kDaysOfWeek> dowSum{};
  std::array<int, kDaysOfWeek> dowCells{};
  double madtSum = 0;
  int madtCount = 0;
  for (std::size_t m = 0; m < kMonths; ++m) {
    double sum = 0;
    int cells = 0;
    for (std::size_t k = 0; k < kDaysOfWeek; ++k) {
      const CellMean& madw = row.madw[m][k];
      row.madt[m].n += madw.n;
      row.aadw[k].n += madw.n;
      if (!madw.value) continue;
      sum += *madw.value;
      ++cells;
      dowSum[k] += *madw.value;
      ++dowCells[k];
    }
    if (cells == kDaysOfWeek) {
      row.madt[m].value = sum / kDaysOfWeek;
      madtSum += *row.madt[m].value;
      ++madtCount;
    }
  }
  for (std::size_t k = 0; k < kDaysOfWeek; ++k) {
    if (dowCells[k] == kMonths) row.aadw[k].value = dowSum[k] / kMonths;
  }
  if (madtCount == kMonths) {
    const double aadt = madtSum / kMonths;
    row.aadt = aadt;
    for (std::size_t m = 0; m < kMonths; ++m) {
      row.mf[m] = aadt / *row.madt[m].value;
      for (std::size_t k = 0; k < kDaysOfWeek; ++k) row.f[m][k] = aadt / *row.madw[m][k].value;
    }
    for (std::size_t k = 0; k < kDaysOfWeek; ++k) row.df[k] = aadt / *row.aadw[k].value;
  }
  finishDesignHours(acc.hours, row);
  row.weekday = finishDayType(acc.dayTypes[0], windows);
  row.weekend = finishDayType(acc.dayTypes[1], windows);
}

template <typename T>
void appendChars(std::string& text, T value) {
  char buffer[32];
  const auto result = std::to_chars(std::begin(buffer), std::end(buffer), value);
  text.append(buffer, result.ptr);
}

}  // namespace

DayExclusion excludingCriticalDays(const CountView& view) {
  return excludingCriticalDays(
      std::make_shared<const std::vector<bool>>(runDataChecks(view).criticalDays()),
      view.stations.size());
}

DayExclusion excludingCriticalDays(std::shared_ptr<const std::vector<bool>> critical,
                                   std::size_t stride) {
  if (!critical) return {};
  return [critical = std::move(critical), stride](std::int32_t station, std::int32_t date) {
    const std::size_t r =
        static_cast<std::size_t>(date) * stride + static_cast<std::size_t>(station);
    return r < critical->size() && (*critical)[r];
  };
}

int dayOfWeekIndex(DateNumber date) { return (weekday(date) + 5) % kDaysOfWeek; }

std::optional<PeakWindows> parsePeakWindows(std::string_view text) {
  if (text == "noon") return kNoonWindows;
  if (text == "commuter") return kCommuterWindows;
  int bounds[4];
  const char* at = text.data();
  const char* const end = text.data() + text.size();
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      if (at == end || *at != (i == 2 ? ',' : '-')) return std::nullopt;
      ++at;
    }
    if (at == end || *at < '0' || *at > '9') return std::nullopt;
    const auto result = std::from_chars(at, end, bounds[i]);
    if (result.ec != std::errc()) return std::nullopt;
    at = result.ptr;
  }
  if (at != end) return std::nullopt;
  const PeakWindows windows{bounds[0], bounds[1], bounds[2], bounds[3]};
  if (windows.amBegin >= windows.amEnd || windows.amEnd > kHoursPerDay ||
      windows.pmBegin >= windows.pmEnd || windows.pmEnd > kHoursPerDay) {
    return std::nullopt;
  }
  return windows;
}

YearFiguresBuilder::YearFiguresBuilder(PeakWindows windows) : m_windows(windows) {}
YearFiguresBuilder::~YearFiguresBuilder() = default;
YearFiguresBuilder::YearFiguresBuilder(YearFiguresBuilder&&) noexcept = default;
YearFiguresBuilder& YearFiguresBuilder::operator=(YearFiguresBuilder&&) noexcept = default;

detail::YearSums& YearFiguresBuilder::sumsOf(int year) {
  auto& sums = m_years[year];
  if (!sums) sums = std::make_unique<detail::YearSums>();
  return *sums;
}

void YearFiguresBuilder::addCountedDay(DateNumber date) { (void)sumsOf(civilFromDate(date).year); }

void YearFiguresBuilder::addValidDay(DateNumber date,
                                     std::span<const std::int32_t, kHoursPerDay> hours) {
  const CivilDate civil = civilFromDate(date);
  const int dow = dayOfWeekIndex(date);
  const auto cell = static_cast<std::size_t>((civil.month - 1) * kDaysOfWeek + dow);
  detail::YearSums& acc = sumsOf(civil.year);
  std::int64_t total = 0;
  for (const std::int32_t v : hours) total += v;
  ++acc.validDays;
  acc.total += total;
  acc.cellSum[cell] += total;
  ++acc.cellDays[cell];
  acc.hours.insert(acc.hours.end(), hours.begin(), hours.end());
  DayTypeSums& type = acc.dayTypes[dow >= 5 ? 1 : 0];
  ++type.days;
  for (std::size_t h = 0; h < kHoursPerDay; ++h) type.hourSum[h] += hours[h];
  addWindow(type.am, hours.data(), m_windows.amBegin, m_windows.amEnd);
  addWindow(type.pm, hours.data(), m_windows.pmBegin, m_windows.pmEnd);
}

std::vector<StationYear> YearFiguresBuilder::finish() {
  std::vector<StationYear> rows;
  rows.reserve(m_years.size());
  for (auto& [year, sums] : m_years) {
    StationYear& row = rows.emplace_back();
    row.year = year;
    finishRow(*sums, m_windows, row);
  }
  m_years.clear();
  return rows;
}

std::vector<StationYear> ComputeAnnualFigures(const CountView& view, const AnnualOptions& options) {
  const auto stationCount = static_cast<std::int32_t>(view.stations.size());
  const auto dateCount = static_cast<std::int32_t>(view.dates.size());
  std::vector<std::int32_t> picked = options.stations;
  if (picked.empty()) {
    for (std::int32_t s = 0; s < stationCount; ++s) picked.push_back(s);
  }
  std::vector<std::int32_t> pickPos(static_cast<std::size_t>(stationCount), -1);
  for (std::size_t i = 0; i < picked.size(); ++i) {
    pickPos.at(static_cast<std::size_t>(picked[i])) = static_cast<std::int32_t>(i);
  }
  std::vector<YearFiguresBuilder> builders;
  builders.reserve(picked.size());
  for (std::size_t i = 0; i < picked.size(); ++i) builders.emplace_back(options.windows);

  std::array<std::int32_t, kHoursPerDay> wide{};
  for (std::int32_t d = 0; d < dateCount; ++d) {
    const DateNumber date = view.dates[static_cast<std::size_t>(d)];
    if (options.year && civilFromDate(date).year != *options.year) continue;
    for (std::int32_t s = 0; s < stationCount; ++s) {
      const std::int32_t pos = pickPos[static_cast<std::size_t>(s)];
      if (pos < 0) continue;
      const HourMask counted = view.countedHours(d, s);
      if (counted == 0) continue;
      YearFiguresBuilder& builder = builders[static_cast<std::size_t>(pos)];
      builder.addCountedDay(date);
      if (counted != kAllHours) continue;
      const std::int16_t* hours = view.completeDay(d, s);
      std::int32_t total = 0;
      for (std::size_t h = 0; h < kHoursPerDay; ++h) total += wide[h] = hours[h];
      if (total <= 0 || (options.excluded && options.excluded(s, d))) continue;
      builder.addValidDay(date, wide);
    }
  }

  std::vector<StationYear> rows;
  for (std::size_t i = 0; i < picked.size(); ++i) {
    for (StationYear& row : builders[i].finish()) {
      row.stationIndex = picked[i];
      row.station = view.stations[static_cast<std::size_t>(picked[i])];
      rows.push_back(std::move(row));
    }
  }
  return rows;
}

std::string formatHour(int hour) {
  std::string text(hour < 10 ? "0" : "");
  appendChars(text, hour);
  return text + ":00";
}

std::string formatFixed(double value, int decimals) {
  char buffer[64];
  const auto result = std::to_chars(std::begin(buffer), std::end(buffer), value,
                                    std::chars_format::fixed, decimals);
  return {buffer, result.ptr};
}

std::string formatVehicles(double value) {
  // nearbyint rounds halves to even under the default rounding mode, which nothing changes.
  std::string text;
  appendChars(text, static_cast<long long>(std::nearbyint(value)));
  return text;
}

}  // namespace ostrilo
