#include "core/table/ATRTable.h"

#include <sys/stat.h>

#include <algorithm>
#include <new>
#include <numeric>
#include <stdexcept>

#include "core/table/AvailableMemory.h"
#include "core/table/Checked.h"
#include "core/table/CountFileReader.h"
#include "core/table/Error.h"
#include "core/table/FileTable.h"
#include "core/table/OutputFile.h"
#include "core/table/TableFile.h"
#include "core/table/TmgVolumeReader.h"

namespace ostrilo {

namespace {

// The file's name as the messages about its content show it.
std::string fileLabel(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return escapeName(slash == std::string::npos ? path : path.substr(slash + 1));
}

std::int32_t dailyTotal(const std::int16_t* hours) {
  // 24 volumes of at most 32,767 cannot leave the 32-bit range, so the sum needs no check.
  return std::accumulate(hours, hours + kHoursPerDay, std::int32_t{0});
}

using detail::fitsInMemory;
using detail::growZeroed;
using detail::overlay;
using detail::tooLarge;

}  // namespace

Error notEnoughMemory(std::int64_t records) {
  return Error(ErrorKind::OutOfMemory,
               "not enough memory for a table of " + std::to_string(records) + " records");
}

void checkMemoryFor(std::int64_t records, std::int64_t extraBytes) {
  // Asking for more than the process can get would succeed on an overcommitting system and
  // fail page by page later, far from any error handling.
  const double needs =
      static_cast<double>(records) * kTableRecordBytes + static_cast<double>(extraBytes);
  const std::int64_t available = availableMemoryFor(needs);
  if (available < 0 || needs <= static_cast<double>(available)) return;
  throw Error(ErrorKind::OutOfMemory,
              "not enough memory for a table of " + std::to_string(records) + " records (needs " +
                  memorySizeText(needs) + ", " + memorySizeText(static_cast<double>(available)) +
                  " available)");
}

DateNumber ATRTable::DatebyIndex(std::int32_t i) const {
  const DateList::Item item = m_dates.GetItem(i);
  const auto* date = std::get_if<DateNumber>(&item);
  return date != nullptr ? *date : -1.0;
}

std::string ATRTable::StaNamebyIndex(std::int32_t i) const {
  const NameList::Item item = m_names.GetItem(i);
  const auto* name = std::get_if<std::string>(&item);
  return name != nullptr ? *name : std::string("-1");
}

std::int32_t ATRTable::MainIndex(std::int32_t dateI, std::int32_t nameI) const {
  return checkedNarrow<std::int32_t>(std::int64_t{StaCount()} * dateI + nameI, "record index");
}

std::size_t ATRTable::checkedRecord(std::int32_t dateI, std::int32_t nameI) const {
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

HourlyVolumes ATRTable::VolArrByIndex(std::int32_t dateI, std::int32_t nameI) const {
  const std::size_t r = checkedRecord(dateI, nameI);
  HourlyVolumes out{};
  std::copy_n(m_vol.begin() + static_cast<std::ptrdiff_t>(r * kHoursPerDay), kHoursPerDay,
              out.begin());
  return out;
}

std::int32_t ATRTable::DailyVolByIndex(std::int32_t dateI, std::int32_t nameI) const {
  return m_dailyVol[checkedRecord(dateI, nameI)];
}

HourMask ATRTable::CountedHours(std::int32_t dateI, std::int32_t nameI) const {
  return m_counted[checkedRecord(dateI, nameI)];
}

std::optional<std::int32_t> ATRTable::CompleteDailyVol(std::int32_t dateI,
                                                       std::int32_t nameI) const {
  const std::size_t r = checkedRecord(dateI, nameI);
  if (m_counted[r] != kAllHours) return std::nullopt;
  return m_dailyVol[r];
}

HourlyVolumes ATRTable::VolArr(DateNumber date, std::string_view staName) const {
  const std::int32_t d = m_dates.Index(date);
  if (d < 0) {
    throw Error(ErrorKind::OutOfRange,
                "Subscript out of range: the table holds no date " + isoDate(date));
  }
  const std::int32_t s = m_names.Index(staName);
  if (s < 0) {
    throw Error(ErrorKind::OutOfRange,
                "Subscript out of range: the table holds no station " + quoteForMessage(staName));
  }
  return VolArrByIndex(d, s);
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
  const std::string label = fileLabel(m_inFile);
  detail::FileTable file(label);
  struct stat st {};
  if (add && m_names.Count() > 0 && ::stat(m_inFile.c_str(), &st) == 0 && st.st_size > 0) {
    file.expectStations(static_cast<std::size_t>(m_names.Count()),
                        static_cast<std::size_t>(st.st_size));
  }
  std::vector<TmgTableDay> tmgDays;
  if (isTmgFile(m_inFile)) {
    tmgDays = readTmgInto(file, label);
  } else {
    readCountFile(m_inFile, label, [&](const CountLine& line) { file.add(line); });
  }
  // The days a TMG file holds replace the notes of those days, an empty note included.
  DayNotes notes = add ? m_notes : DayNotes();
  for (const TmgTableDay& day : tmgDays) {
    notes.set(day.name, day.date, {day.restriction, day.statedWeekday});
  }
  if (add) {
    mergeFile(file, label);
    m_notes = std::move(notes);
    return;
  }
  // A new table takes the file's layout over as it is.
  file.compact();
  std::vector<std::int32_t> totals;
  try {
    totals.resize(file.counted.size());
  } catch (const std::bad_alloc&) {
    throw notEnoughMemory(static_cast<std::int64_t>(file.counted.size()));
  }
  for (std::size_t r = 0; r < totals.size(); ++r)
    totals[r] = dailyTotal(&file.vol[r * kHoursPerDay]);
  m_names = std::move(file.names);
  m_dates = std::move(file.dates);
  m_vol = std::move(file.vol);
  m_counted = std::move(file.counted);
  m_dailyVol = std::move(totals);
  m_lngLast = static_cast<std::int32_t>(m_counted.size() - 1);
  m_notes = std::move(notes);
}

std::vector<TmgTableDay> ATRTable::readTmgInto(detail::FileTable& file,
                                               const std::string& label) const {
  std::vector<TmgTableDay> days = readTmgDays(m_inFile, label, {m_sumLanes});
  // A record without a counted hour says nothing about its day.
  std::erase_if(days, [](const TmgTableDay& day) { return day.counted == 0; });
  for (const TmgTableDay& day : days) file.addDay(day.date, day.name, day.volumes, day.counted);
  return days;
}

namespace detail {

// What a merge prepares before the table changes: where the file's stations and dates stand in
// the table, the records of the merged table (the spare one included) and, when new stations
// widen the stride, the room the held records move into.
struct MergeRoom {
  std::vector<std::size_t> nameAt;
  std::vector<std::size_t> dateAt;
  std::size_t records = 0;
  std::vector<std::int16_t> wideVol;
  std::vector<HourMask> wideCounted;
  std::vector<std::int32_t> wideTotals;
};

}  // namespace detail

namespace {

// Where each of a file's values stands in the table's list; a value the list lacks is added.
// One lookup for a value the table holds, the usual case.
template <typename List>
std::vector<std::size_t> placeInList(List& list, const List& values) {
  std::vector<std::size_t> at(static_cast<std::size_t>(values.Count()));
  for (std::int32_t i = 0; i < values.Count(); ++i) {
    std::int32_t index = list.Index(values.at(i));
    if (index < 0) {
      list.Add(values.at(i));
      index = list.Count() - 1;
    }
    at[static_cast<std::size_t>(i)] = static_cast<std::size_t>(index);
  }
  return at;
}

}  // namespace

void ATRTable::mergeFile(detail::FileTable& file, const std::string& label) {
  const std::int32_t oldNames = m_names.Count();
  const std::int32_t oldDates = m_dates.Count();
  detail::MergeRoom room;
  try {
    room.nameAt = placeInList(m_names, file.names);
    room.dateAt = placeInList(m_dates, file.dates);
    if (std::int64_t{m_names.Count()} * m_dates.Count() > kMaxPairs) {
      throw tooLarge(label, m_names.Count(), m_dates.Count());
    }
    room.records =
        static_cast<std::size_t>(m_names.Count()) * static_cast<std::size_t>(m_dates.Count()) + 1;
    checkMemoryFor(static_cast<std::int64_t>(room.records));
    reserveMergeRoom(room, m_names.Count() != oldNames);
  } catch (...) {
    m_names.truncate(oldNames);
    m_dates.truncate(oldDates);
    throw;
  }

  const auto oldStride = static_cast<std::size_t>(oldNames);
  if (m_names.Count() != oldNames) {
    widenStride(room, oldStride, static_cast<std::size_t>(oldDates));
  } else {
    // Records a loaded file held past its pairs are dropped, as the spare record is reused.
    const std::size_t oldPairs = oldStride * static_cast<std::size_t>(oldDates);
    m_vol.resize(oldPairs * kHoursPerDay);
    growZeroed(m_vol, room.records * kHoursPerDay);
    m_counted.resize(oldPairs);
    growZeroed(m_counted, room.records);
    m_dailyVol.resize(oldPairs);
    growZeroed(m_dailyVol, room.records);
  }
  overlayFile(file, room);
  m_lngLast = static_cast<std::int32_t>(room.records - 1);
}

void ATRTable::reserveMergeRoom(detail::MergeRoom& room, bool newStations) {
  const std::size_t records = room.records;
  try {
    if (newStations) {
      // With room for dates to come, as below, so that the next file need not move it all
      // again.
      std::size_t reserve = std::max(records, m_counted.capacity() * 3 / 2);
      if (!fitsInMemory(reserve)) reserve = records;
      room.wideVol.reserve(reserve * kHoursPerDay);
      room.wideCounted.reserve(reserve);
      room.wideTotals.reserve(reserve);
    } else {
      // Room first, so that nothing below can fail once the table starts to change. Growing
      // by half again keeps a run of adds linear.
      const auto grow = [records](auto& v, std::size_t per) {
        if (v.capacity() < records * per) v.reserve(std::max(records * per, v.capacity() * 3 / 2));
      };
      grow(m_vol, kHoursPerDay);
      grow(m_counted, 1);
      grow(m_dailyVol, 1);
    }
  } catch (const std::bad_alloc&) {
    throw notEnoughMemory(static_cast<std::int64_t>(records));
  } catch (const std::length_error&) {
    throw notEnoughMemory(static_cast<std::int64_t>(records));
  }
}

void ATRTable::widenStride(detail::MergeRoom& room, std::size_t oldStride, std::size_t oldDates) {
  // New stations change the stride, so every held pair moves to its new record: each held
  // date's row, then zeros for the new stations. The room is there, so nothing allocates.
  const std::size_t stride = static_cast<std::size_t>(m_names.Count());
  std::vector<std::int16_t>& wideVol = room.wideVol;
  std::vector<HourMask>& wideCounted = room.wideCounted;
  std::vector<std::int32_t>& wideTotals = room.wideTotals;
  for (std::size_t d = 0; d < oldDates; ++d) {
    const auto from = static_cast<std::ptrdiff_t>(d * oldStride);
    const auto width = static_cast<std::ptrdiff_t>(oldStride);
    wideVol.insert(wideVol.end(), m_vol.begin() + from * kHoursPerDay,
                   m_vol.begin() + (from + width) * kHoursPerDay);
    wideCounted.insert(wideCounted.end(), m_counted.begin() + from,
                       m_counted.begin() + from + width);
    wideTotals.insert(wideTotals.end(), m_dailyVol.begin() + from,
                      m_dailyVol.begin() + from + width);
    growZeroed(wideVol, (d + 1) * stride * kHoursPerDay);
    growZeroed(wideCounted, (d + 1) * stride);
    growZeroed(wideTotals, (d + 1) * stride);
  }
  growZeroed(wideVol, room.records * kHoursPerDay);
  growZeroed(wideCounted, room.records);
  growZeroed(wideTotals, room.records);
  m_vol = std::move(wideVol);
  m_counted = std::move(wideCounted);
  m_dailyVol = std::move(wideTotals);
}

void ATRTable::overlayFile(const detail::FileTable& file, const detail::MergeRoom& room) {
  const std::size_t stride = static_cast<std::size_t>(m_names.Count());
  for (std::size_t d = 0; d < room.dateAt.size(); ++d) {
    for (std::size_t s = 0; s < room.nameAt.size(); ++s) {
      const std::size_t from = file.stride * d + s;
      if (file.counted[from] == 0) continue;
      const std::size_t to = stride * room.dateAt[d] + room.nameAt[s];
      overlay(&file.vol[from * kHoursPerDay], file.counted[from], &m_vol[to * kHoursPerDay],
              m_counted[to]);
      m_dailyVol[to] = dailyTotal(&m_vol[to * kHoursPerDay]);
    }
  }
}

void ATRTable::SaveToFile(const std::string& fileName) const {
  saveTableFile(fileName, m_dates.values(), m_names.values(), m_vol, m_counted);
}

void ATRTable::LoadFromFile(const std::string& fileName) {
  TableFileContent content = loadTableFile(fileName, fileLabel(fileName));
  const std::size_t records = content.counted.size();
  std::vector<std::int32_t> totals;
  try {
    totals.resize(records);
  } catch (const std::bad_alloc&) {
    throw notEnoughMemory(static_cast<std::int64_t>(records));
  }
  for (std::size_t r = 0; r < records; ++r)
    totals[r] = dailyTotal(&content.volumes[r * kHoursPerDay]);
  const auto pairs =
      static_cast<std::int32_t>(std::int64_t{content.names.Count()} * content.dates.Count());
  m_names = std::move(content.names);
  m_dates = std::move(content.dates);
  m_vol = std::move(content.volumes);
  m_counted = std::move(content.counted);
  m_dailyVol = std::move(totals);
  m_lngLast = pairs - 1;
  m_notes.clear();
}

}  // namespace ostrilo
