#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/table/DateNumber.h"
#include "core/table/DayNotes.h"
#include "core/table/Error.h"
#include "core/table/UniqueList.h"

namespace ostrilo {

inline constexpr int kHoursPerDay = 24;
// The most pairs (stations x dates) a table holds: every record index, the spare record after
// the last pair included, and the record count itself fit 32 bits. Memory usually ends a table
// well before this.
inline constexpr std::int64_t kMaxPairs = 2147483646;

using HourlyVolumes = std::array<std::int16_t, kHoursPerDay>;
// Bit h set: hour h of a record was counted. A count-file line counts the 12 hours of its half.
using HourMask = std::uint32_t;
inline constexpr HourMask kAllHours = 0xFFFFFFu;

namespace detail {
class FileTable;
struct MergeRoom;
}  // namespace detail
struct TmgTableDay;

// What a record costs in memory: 24 volumes, its daily total and its counted-hours mask.
inline constexpr std::int64_t kTableRecordBytes = kHoursPerDay * 2 + 4 + 4;

// The error for a table that memory cannot hold: "not enough memory for a table of N records".
[[nodiscard]] Error notEnoughMemory(std::int64_t records);
// Throws OutOfMemory, "not enough memory for a table of N records (needs X, Y available)",
// when a table of that many records and extraBytes beside it need more than the process may
// still get (availableMemoryBytes); allocating it anyway would only fail later, page by page.
void checkMemoryFor(std::int64_t records, std::int64_t extraBytes = 0);

// The count table: hourly vehicle volumes by station and date, with daily totals.
//
// Stations and dates get their indexes in order of first appearance. The record of date index
// d and station index s is StaCount x d + s (MainIndex): all stations of the first date, then
// all of the second, and so on. A pair that no count-file line covered holds 24 zeros.
//
// Every filling operation (BuildTable, AddToTable, LoadFromFile) is all or nothing: it reads
// and checks its whole input before it replaces anything, so a failure leaves the table exactly
// as it was. Failures are thrown as ostrilo::Error.
class ATRTable {
 public:
  ATRTable() = default;

  [[nodiscard]] const NameList& ulstName() const noexcept { return m_names; }
  [[nodiscard]] const DateList& ulstDate() const noexcept { return m_dates; }

  // The count file that BuildTable and AddToTable read.
  [[nodiscard]] const std::string& inFile() const noexcept { return m_inFile; }
  void setInFile(std::string fileName) { m_inFile = std::move(fileName); }
  // BuildTable and AddToTable take TMG volume files as well as count files, told apart by
  // their content. With sumLanes, a TMG file's lanes of a direction become one station.
  [[nodiscard]] bool sumLanes() const noexcept { return m_sumLanes; }
  void setSumLanes(bool sum) noexcept { m_sumLanes = sum; }
  // What TMG files said about their days beyond the volumes (restrictions, a contradicting day
  // of the week), for the checks. Kept in memory only: a table file does not hold them, so
  // LoadFromFile clears them; a file's days replace the notes of those days.
  [[nodiscard]] const DayNotes& dayNotes() const noexcept { return m_notes; }

  // lngLast + 1: the records the table holds. BuildTable and AddToTable keep one spare all-zero
  // record after the last pair; LoadFromFile does not count it.
  [[nodiscard]] std::int32_t Count() const noexcept { return m_lngLast + 1; }
  [[nodiscard]] std::int32_t DateCount() const noexcept { return m_dates.Count(); }
  [[nodiscard]] std::int32_t StaCount() const noexcept { return m_names.Count(); }
  // The highest record index the table holds; -1 for a new table.
  [[nodiscard]] std::int32_t lngLast() const noexcept { return m_lngLast; }

  // Past the end of their list these answer the date number -1 and the text "-1"; a negative
  // index is an out-of-range error.
  [[nodiscard]] DateNumber DatebyIndex(std::int32_t i) const;
  [[nodiscard]] std::string StaNamebyIndex(std::int32_t i) const;

  // The hourly volumes of a date and station given by value; out-of-range error when the table
  // does not hold either.
  [[nodiscard]] HourlyVolumes VolArr(DateNumber date, std::string_view staName) const;
  // Hour 0 first. Out-of-range error for a record below 0 or above lngLast.
  [[nodiscard]] HourlyVolumes VolArrByIndex(std::int32_t dateI, std::int32_t nameI) const;
  [[nodiscard]] std::int32_t DailyVolByIndex(std::int32_t dateI, std::int32_t nameI) const;
  // Which hours of a pair were counted; errors as VolArrByIndex. A volume of an hour that was
  // not counted reads 0 above, so only this tells a missing hour from a zero.
  [[nodiscard]] HourMask CountedHours(std::int32_t dateI, std::int32_t nameI) const;
  // All 24 hours counted.
  [[nodiscard]] bool IsComplete(std::int32_t dateI, std::int32_t nameI) const {
    return CountedHours(dateI, nameI) == kAllHours;
  }
  // The daily total of a complete day; nothing for a day with any hour not counted.
  [[nodiscard]] std::optional<std::int32_t> CompleteDailyVol(std::int32_t dateI,
                                                             std::int32_t nameI) const;
  // StaCount x dateI + nameI; an overflow error when that leaves the 32-bit range.
  [[nodiscard]] std::int32_t MainIndex(std::int32_t dateI, std::int32_t nameI) const;

  // Replace the table with the count file named by inFile, or add that file to it. Both answer
  // false on every path; failures are thrown. The file is read in blocks as it is parsed, so
  // memory follows the table, not the file. Adding a file whose stations the table already
  // holds appends its new dates without moving the held records; a new station moves them all.
  bool BuildTable();
  bool AddToTable();

  // Writes the table file atomically: a failed save leaves an existing file untouched.
  void SaveToFile(const std::string& fileName) const;
  // Replaces the table with a table file's content. The file is untrusted input. A file without
  // the counted-hours record takes a record of 24 zeros as not counted, any other as counted.
  void LoadFromFile(const std::string& fileName);

  // The whole volume array as the table holds it: 24 volumes per record, record after record.
  // After LoadFromFile it may hold records beyond lngLast (the table file's own count).
  [[nodiscard]] const std::vector<std::int16_t>& volumeArray() const noexcept { return m_vol; }
  // The counted hours of every record of volumeArray(), record after record.
  [[nodiscard]] const std::vector<HourMask>& countedArray() const noexcept { return m_counted; }

 private:
  [[nodiscard]] std::size_t checkedRecord(std::int32_t dateI, std::int32_t nameI) const;
  void fillFromCountFile(bool add);
  [[nodiscard]] std::vector<TmgTableDay> readTmgInto(detail::FileTable& file,
                                                     const std::string& label) const;
  // Adds a file's records, all or nothing: its stations and dates are placed in the lists and
  // the room taken first (reserveMergeRoom), then the held records move to a wider stride when
  // the file brings new stations (widenStride) and the file's counted hours are laid over
  // (overlayFile).
  void mergeFile(detail::FileTable& file, const std::string& label);
  void reserveMergeRoom(detail::MergeRoom& room, bool newStations);
  void widenStride(detail::MergeRoom& room, std::size_t oldStride, std::size_t oldDates);
  void overlayFile(const detail::FileTable& file, const detail::MergeRoom& room);

  NameList m_names;
  DateList m_dates;
  std::vector<std::int16_t> m_vol;       // 24 per record, hour 0 first
  std::vector<HourMask> m_counted;       // one per record of m_vol
  std::vector<std::int32_t> m_dailyVol;  // one per record 0..lngLast
  std::int32_t m_lngLast = -1;
  std::string m_inFile = "ATRtest.dat";
  DayNotes m_notes;
  bool m_sumLanes = false;
};

}  // namespace ostrilo
