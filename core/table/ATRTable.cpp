#include "core/table/ATRTable.h"

#include <algorithm>
#include <numeric>

#include "core/table/Checked.h"
#include "core/table/CountFileReader.h"
#include "core/table/Error.h"
#include "core/table/TableFile.h"

namespace ostrilo {

namespace {

// The file's name as the messages about its content show it.
std::string fileLabel(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return escapeName(slash == std::string::npos ? path : path.substr(slash + 1));
}

std::vector<std::int32_t> dailyTotals(const std::vector<std::int16_t>& vol, std::int32_t lngLast) {
  // 24 volumes of at most 32,767 cannot leave the 32-bit range, so the sums need no check.
  std::vector<std::int32_t> totals(static_cast<std::size_t>(lngLast + 1));
  for (std::size_t r = 0; r < totals.size(); ++r) {
    const auto first = vol.begin() + static_cast<std::ptrdiff_t>(r * kHoursPerDay);
    totals[r] = std::accumulate(first, first + kHoursPerDay, std::int32_t{0});
  }
  return totals;
}

}  // namespace

DateNumber ATRTable::DatebyIndex(std::int16_t i) const {
  const DateList::Item item = m_dates.GetItem(i);
  const auto* date = std::get_if<DateNumber>(&item);
  return date != nullptr ? *date : -1.0;
}

std::string ATRTable::StaNamebyIndex(std::int16_t i) const {
  const NameList::Item item = m_names.GetItem(i);
  const auto* name = std::get_if<std::string>(&item);
  return name != nullptr ? *name : std::string("-1");
}

std::int32_t ATRTable::MainIndex(std::int16_t dateI, std::int16_t nameI) const {
  return checkedAdd16(checkedMul16(StaCount(), dateI, "record index"), nameI, "record index");
}

std::size_t ATRTable::checkedRecord(std::int16_t dateI, std::int16_t nameI) const {
  const std::int32_t r = MainIndex(dateI, nameI);
  if (r < 0 || r > m_lngLast) {
    throw Error(ErrorKind::OutOfRange, "Subscript out of range: record " + std::to_string(r) +
                                           " (date index " + std::to_string(dateI) +
                                           ", station index " + std::to_string(nameI) +
                                           ") is not in the table, which holds " +
                                           std::to_string(m_lngLast + 1) + " records");
  }
  return static_cast<std::size_t>(r);
}

HourlyVolumes ATRTable::VolArrByIndex(std::int16_t dateI, std::int16_t nameI) const {
  const std::size_t r = checkedRecord(dateI, nameI);
  HourlyVolumes out{};
  std::copy_n(m_vol.begin() + static_cast<std::ptrdiff_t>(r * kHoursPerDay), kHoursPerDay,
              out.begin());
  return out;
}

std::int32_t ATRTable::DailyVolByIndex(std::int16_t dateI, std::int16_t nameI) const {
  return m_dailyVol[checkedRecord(dateI, nameI)];
}

HourMask ATRTable::CountedHours(std::int16_t dateI, std::int16_t nameI) const {
  return m_counted[checkedRecord(dateI, nameI)];
}

std::optional<std::int32_t> ATRTable::CompleteDailyVol(std::int16_t dateI,
                                                       std::int16_t nameI) const {
  const std::size_t r = checkedRecord(dateI, nameI);
  if (m_counted[r] != kAllHours) return std::nullopt;
  return m_dailyVol[r];
}

HourlyVolumes ATRTable::VolArr(DateNumber date, std::string_view staName) const {
  const std::int16_t d = m_dates.Index(date);
  if (d < 0) {
    throw Error(ErrorKind::OutOfRange,
                "Subscript out of range: the table holds no date " + isoDate(date));
  }
  const std::int16_t s = m_names.Index(staName);
  if (s < 0) {
    throw Error(ErrorKind::OutOfRange,
                "Subscript out of range: the table holds no station " + quoteForMessage(staName));
  }
  return VolArrByIndex(d, s);
}

void ATRTable::replaceContent(NameList names, DateList dates, std::vector<std::int16_t> vol,
                              std::vector<HourMask> counted, std::vector<std::int32_t> dailyVol,
                              std::int32_t lngLast) noexcept {
  m_names = std::move(names);
  m_dates = std::move(dates);
  m_vol = std::move(vol);
  m_counted = std::move(counted);
  m_dailyVol = std::move(dailyVol);
  m_lngLast = lngLast;
}

bool ATRTable::BuildTable() {
  fillFromCountFile(false);
  return false;
}

bool ATRTable::AddToTable() {
  fillFromCountFile(true);
  return false;
}

void ATRTable::fillFromCountFile(bool add) {
  const std::string text = readWholeFile(m_inFile);
  const std::string label = fileLabel(m_inFile);
  const std::vector<CountLine> lines = parseCountFile(text, label);

  // Everything below works on copies; the table itself changes only in the last step.
  NameList names = add ? m_names : NameList{};
  DateList dates = add ? m_dates : DateList{};
  // The indexes found here serve the second pass too; looking them up again would double the
  // hashing.
  std::vector<std::pair<std::int16_t, std::int16_t>> pairOfLine;
  pairOfLine.reserve(lines.size());
  // Files list a station's or a date's lines together, so the previous line's answer is
  // usually this line's too.
  std::int16_t d = -1;
  std::int16_t s = -1;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const CountLine& line = lines[n];
    if (n == 0 || line.date != lines[n - 1].date) {
      d = dates.Index(line.date);
      if (d < 0) {
        dates.Add(line.date);
        d = static_cast<std::int16_t>(dates.Count() - 1);
      }
    }
    if (n == 0 || line.name != lines[n - 1].name) {
      s = names.Index(line.name);
      if (s < 0) {
        names.Add(std::string(line.name));
        s = static_cast<std::int16_t>(names.Count() - 1);
      }
    }
    pairOfLine.emplace_back(d, s);
  }
  const std::int64_t pairs = std::int64_t{names.Count()} * dates.Count();
  if (pairs >= kRecordLimit) {
    throw Error(ErrorKind::Overflow, label + ": " + std::to_string(names.Count()) + " stations x " +
                                         std::to_string(dates.Count()) +
                                         " dates = " + std::to_string(pairs) +
                                         " records; a table holds fewer than 32767");
  }
  // One spare all-zero record after the last pair, as every built table has.
  const auto lngLast = static_cast<std::int32_t>(pairs);
  std::vector<std::int16_t> vol(static_cast<std::size_t>(lngLast + 1) * kHoursPerDay, 0);
  std::vector<HourMask> counted(static_cast<std::size_t>(lngLast + 1), 0);

  const std::size_t stride = static_cast<std::size_t>(names.Count());
  if (add) {
    // New stations change the stride, so every held pair moves to its new record.
    const std::size_t oldStride = static_cast<std::size_t>(StaCount());
    for (std::size_t d = 0; d < static_cast<std::size_t>(DateCount()); ++d) {
      for (std::size_t s = 0; s < oldStride; ++s) {
        std::copy_n(m_vol.begin() + static_cast<std::ptrdiff_t>((oldStride * d + s) * kHoursPerDay),
                    kHoursPerDay,
                    vol.begin() + static_cast<std::ptrdiff_t>((stride * d + s) * kHoursPerDay));
        counted[stride * d + s] = m_counted[oldStride * d + s];
      }
    }
  }
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const CountLine& line = lines[n];
    const auto d = static_cast<std::size_t>(pairOfLine[n].first);
    const auto s = static_cast<std::size_t>(pairOfLine[n].second);
    const std::size_t record = stride * d + s;
    const std::size_t firstHour = record * kHoursPerDay + (line.firstHalf ? 0 : 12);
    std::copy(line.volumes.begin(), line.volumes.end(),
              vol.begin() + static_cast<std::ptrdiff_t>(firstHour));
    counted[record] |= line.firstHalf ? 0x000FFFu : 0xFFF000u;
  }

  std::vector<std::int32_t> totals = dailyTotals(vol, lngLast);
  replaceContent(std::move(names), std::move(dates), std::move(vol), std::move(counted),
                 std::move(totals), lngLast);
}

void ATRTable::SaveToFile(const std::string& fileName) const {
  writeOutputFile(fileName, encodeTableFile(m_dates.values(), m_names.values(), m_vol));
}

void ATRTable::LoadFromFile(const std::string& fileName) {
  const std::string bytes = readWholeFile(fileName);
  TableFileContent content = decodeTableFile(bytes, fileLabel(fileName));
  const auto lngLast =
      static_cast<std::int32_t>(std::int32_t{content.names.Count()} * content.dates.Count() - 1);
  std::vector<std::int32_t> totals = dailyTotals(content.volumes, lngLast);
  // A table file without counted hours: a record of 24 zeros was most likely never counted.
  std::vector<HourMask> counted(content.volumes.size() / kHoursPerDay);
  for (std::size_t r = 0; r < counted.size(); ++r) {
    const auto first = content.volumes.begin() + static_cast<std::ptrdiff_t>(r * kHoursPerDay);
    counted[r] = std::all_of(first, first + kHoursPerDay, [](std::int16_t v) { return v == 0; })
                     ? 0
                     : kAllHours;
  }
  replaceContent(std::move(content.names), std::move(content.dates), std::move(content.volumes),
                 std::move(counted), std::move(totals), lngLast);
}

}  // namespace ostrilo
