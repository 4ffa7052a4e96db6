#include "core/table/ATRTable.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>
#include <numeric>
#include <stdexcept>

#include "core/table/AvailableMemory.h"
#include "core/table/Checked.h"
#include "core/table/CountFileReader.h"
#include "core/table/Error.h"
#include "core/table/OutputFile.h"
#include "core/table/TableFile.h"
#include "core/table/TmgVolumeReader.h"

namespace ostrilo {

namespace {

constexpr HourMask kFirstHalf = 0x000FFFu;
constexpr HourMask kSecondHalf = 0xFFF000u;

// The file's name as the messages about its content show it.
std::string fileLabel(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return escapeName(slash == std::string::npos ? path : path.substr(slash + 1));
}

Error tooLarge(std::string_view label, std::int64_t stations, std::int64_t dates) {
  return Error(ErrorKind::Overflow,
               std::string(label) + ": " + std::to_string(stations) + " stations x " +
                   std::to_string(dates) + " dates = " + std::to_string(stations * dates) +
                   " records; a table holds at most " + std::to_string(kMaxPairs));
}

std::int32_t dailyTotal(const std::int16_t* hours) {
  // 24 volumes of at most 32,767 cannot leave the 32-bit range, so the sum needs no check.
  return std::accumulate(hours, hours + kHoursPerDay, std::int32_t{0});
}

// Copies a record's counted hours over another's; an hour not counted keeps what it held.
void overlay(const std::int16_t* from, HourMask fromMask, std::int16_t* to, HourMask& toMask) {
  if ((fromMask & kFirstHalf) == kFirstHalf) {
    std::copy_n(from, 12, to);
  } else {
    for (int h = 0; h < 12; ++h) {
      if ((fromMask >> h & 1u) != 0) to[h] = from[h];
    }
  }
  if ((fromMask & kSecondHalf) == kSecondHalf) {
    std::copy_n(from + 12, 12, to + 12);
  } else {
    for (int h = 12; h < kHoursPerDay; ++h) {
      if ((fromMask >> h & 1u) != 0) to[h] = from[h];
    }
  }
  toMask |= fromMask;
}

// Grows v to size with zeros. resize() fills a growing vector element by element; copying
// from a block of zeros is a memmove.
template <typename T>
void growZeroed(std::vector<T>& v, std::size_t size) {
  static constexpr std::size_t kBlock = 4096;
  static const std::array<T, kBlock> zeros{};
  while (v.size() < size) {
    const std::size_t n = std::min(kBlock, size - v.size());
    v.insert(v.end(), zeros.begin(), zeros.begin() + static_cast<std::ptrdiff_t>(n));
  }
}

bool fitsInMemory(std::size_t records) {
  const double needs = static_cast<double>(records) * kTableRecordBytes;
  const std::int64_t available = availableMemoryFor(needs);
  return available < 0 || needs <= static_cast<double>(available);
}

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

namespace detail {

// The pairs of one count file, laid out while the file is read. Stations that arrive late
// widen the stride (records per date) in steps that double, so a file pays for its own
// re-layouts only, and linearly.
class FileTable {
 public:
  explicit FileTable(std::string label) : m_label(std::move(label)) {}

  // A file added to a table usually names the table's stations again. Growing the stride
  // straight to their count, instead of doubling up to it, spares the re-layouts; the file's
  // size bounds the records that this may take (a pair needs a line of at least 70 bytes).
  void expectStations(std::size_t stations, std::size_t fileBytes) {
    m_expectedStations = stations;
    names.reserve(stations);
    m_pairBudget = fileBytes / 70 + 1;
    // A small file's records fit in room taken once (the spare record included).
    if (m_pairBudget <= kSmallFilePairs && fitsInMemory(m_pairBudget + 1)) {
      vol.reserve((m_pairBudget + 1) * kHoursPerDay);
      counted.reserve(m_pairBudget + 1);
    }
  }

  NameList names;
  DateList dates;
  std::size_t stride = 0;
  std::vector<std::int16_t> vol;  // stride records per date
  std::vector<HourMask> counted;

  void add(const CountLine& line) {
    const std::size_t record = recordOf(line.date, line.name);
    std::copy(line.volumes.begin(), line.volumes.end(),
              vol.begin() +
                  static_cast<std::ptrdiff_t>(record * kHoursPerDay + (line.firstHalf ? 0 : 12)));
    counted[record] |= line.firstHalf ? kFirstHalf : kSecondHalf;
  }

  // A whole day of which the hours in mask were counted.
  void addDay(DateNumber date, std::string_view name, const HourlyVolumes& volumes, HourMask mask) {
    const std::size_t record = recordOf(date, name);
    overlay(volumes.data(), mask, &vol[record * kHoursPerDay], counted[record]);
  }

  // Closes the gaps that a stride wider than the station count left, in place, and appends the
  // spare all-zero record.
  void compact() {
    const std::size_t stations = static_cast<std::size_t>(names.Count());
    const std::size_t records = stations * static_cast<std::size_t>(dates.Count());
    if (stride != stations) {
      for (std::size_t r = 0; r < records; ++r) {
        const std::size_t from = stride * (r / stations) + r % stations;
        std::copy_n(vol.begin() + static_cast<std::ptrdiff_t>(from * kHoursPerDay), kHoursPerDay,
                    vol.begin() + static_cast<std::ptrdiff_t>(r * kHoursPerDay));
        counted[r] = counted[from];
      }
    }
    // resize() kept room for the spare record, so none of this allocates.
    vol.resize(records * kHoursPerDay);
    vol.resize((records + 1) * kHoursPerDay, 0);
    counted.resize(records);
    counted.resize(records + 1, 0);
  }

 private:
  std::size_t recordOf(DateNumber date, std::string_view name) {
    if (m_date < 0 || date != m_lastDate) {
      m_lastDate = date;
      m_date = dateIndex(date);
      if (m_date < 0) {
        dates.Add(date);
        m_date = dates.Count() - 1;
        rememberDate(date, m_date);
        checkPairs();
        const auto dateRows = static_cast<std::size_t>(dates.Count());
        if (m_expectedStations != 0 && stride > static_cast<std::size_t>(names.Count()) &&
            stride * dateRows > m_pairBudget) {
          // The file holds fewer stations than expected over more dates: back to doubling.
          m_expectedStations = 0;
          resize(std::max<std::size_t>(std::bit_ceil(static_cast<std::size_t>(names.Count())), 8),
                 dateRows);
        } else {
          resize(stride, dateRows);
        }
      }
    }
    if (m_name < 0 || name != names.at(m_name)) {
      m_name = nameIndex(name);
      if (m_name < 0) {
        names.Add(std::string(name));
        m_name = names.Count() - 1;
        rememberName(name, m_name);
        checkPairs();
        if (static_cast<std::size_t>(m_name) >= stride) {
          const auto dateRows = static_cast<std::size_t>(dates.Count());
          std::size_t wider = std::max<std::size_t>(2 * stride, 8);
          if (m_expectedStations > wider && m_expectedStations * dateRows <= m_pairBudget) {
            wider = m_expectedStations;
          }
          resize(wider, dateRows);
        }
      }
    }
    return stride * static_cast<std::size_t>(m_date) + static_cast<std::size_t>(m_name);
  }

  void checkPairs() const {
    if (std::int64_t{names.Count()} * dates.Count() > kMaxPairs) {
      throw tooLarge(m_label, names.Count(), dates.Count());
    }
  }

  void resize(std::size_t newStride, std::size_t dateRows) {
    const std::size_t records = newStride * dateRows + 1;
    try {
      if (newStride == stride) {
        // Room for the spare record too, so that compact() cannot fail; doubling keeps a file
        // of many dates linear. Memory is asked about only when room is taken: the question
        // reads /proc and /sys, and a new date usually fits in the room there is. The room is
        // checked whole, so that the dates filling it later need no question of their own.
        if (counted.capacity() < records || vol.capacity() < records * kHoursPerDay) {
          std::size_t room = std::max(records, 2 * counted.capacity());
          if (!fitsInMemory(room)) {
            checkMemoryFor(static_cast<std::int64_t>(records));
            room = records;
          }
          vol.reserve(room * kHoursPerDay);
          counted.reserve(room);
        }
        growZeroed(vol, records * kHoursPerDay - kHoursPerDay);
        growZeroed(counted, records - 1);
        return;
      }
      checkMemoryFor(static_cast<std::int64_t>(records));
      std::vector<std::int16_t> wideVol;
      std::vector<HourMask> wideCounted;
      wideVol.reserve(records * kHoursPerDay);
      wideCounted.reserve(records);
      wideVol.resize((records - 1) * kHoursPerDay, 0);
      wideCounted.resize(records - 1, 0);
      const std::size_t heldDates = stride == 0 ? 0 : counted.size() / stride;
      // A narrower stride still holds every station: what it cuts off is all zero.
      const std::size_t kept = std::min(stride, newStride);
      for (std::size_t d = 0; d < heldDates; ++d) {
        std::copy_n(vol.begin() + static_cast<std::ptrdiff_t>(d * stride * kHoursPerDay),
                    kept * kHoursPerDay,
                    wideVol.begin() + static_cast<std::ptrdiff_t>(d * newStride * kHoursPerDay));
        std::copy_n(counted.begin() + static_cast<std::ptrdiff_t>(d * stride), kept,
                    wideCounted.begin() + static_cast<std::ptrdiff_t>(d * newStride));
      }
      vol = std::move(wideVol);
      counted = std::move(wideCounted);
      stride = newStride;
    } catch (const std::bad_alloc&) {
      throw notEnoughMemory(static_cast<std::int64_t>(records));
    } catch (const std::length_error&) {
      throw notEnoughMemory(static_cast<std::int64_t>(records));
    }
  }

  // Count-file dates are whole day numbers close to each other: a window of days indexed
  // directly spares the hash lookup that a change of date would cost on every other line.
  static constexpr std::int64_t kWindow = 4096;
  [[nodiscard]] std::int32_t dateIndex(DateNumber date) const {
    const std::int64_t at = static_cast<std::int64_t>(date) - m_windowStart;
    if (static_cast<DateNumber>(static_cast<std::int64_t>(date)) == date && at >= 0 &&
        at < kWindow && !m_window.empty()) {
      return m_window[static_cast<std::size_t>(at)];
    }
    return dates.Index(date);
  }
  void rememberDate(DateNumber date, std::int32_t index) {
    if (m_window.empty()) {
      m_window.assign(kWindow, -1);
      m_windowStart = static_cast<std::int64_t>(date) - kWindow / 2;
    }
    const std::int64_t at = static_cast<std::int64_t>(date) - m_windowStart;
    if (static_cast<DateNumber>(static_cast<std::int64_t>(date)) == date && at >= 0 &&
        at < kWindow) {
      m_window[static_cast<std::size_t>(at)] = index;
    }
  }

  // Files list a date's stations one after the other, so the name changes on nearly every
  // line. A name is four bytes; a small open-addressed table on them spares the string hash.
  // It knows every name added while it had room; once full, a name it lacks is looked up.
  static constexpr std::size_t kNameSlots = 4096;
  static constexpr int kNameProbes = 16;
  struct NameSlot {
    std::uint32_t key = 0;
    std::int32_t index = -1;
  };
  static std::size_t nameSlot(std::uint32_t key) {
    return static_cast<std::size_t>((key * 0x9E3779B1u) >> 20) % kNameSlots;
  }
  [[nodiscard]] std::int32_t nameIndex(std::string_view name) const {
    if (name.size() != 4 || m_nameSlots.empty()) return names.Index(name);
    std::uint32_t key = 0;
    std::memcpy(&key, name.data(), 4);
    std::size_t at = nameSlot(key);
    for (int probe = 0; probe < kNameProbes; ++probe, at = (at + 1) % kNameSlots) {
      const NameSlot& slot = m_nameSlots[at];
      if (slot.index < 0) return m_namesComplete ? -1 : names.Index(name);
      if (slot.key == key) return slot.index;
    }
    return names.Index(name);
  }
  void rememberName(std::string_view name, std::int32_t index) {
    if (name.size() != 4) return;
    if (m_nameSlots.empty()) m_nameSlots.resize(kNameSlots);
    std::uint32_t key = 0;
    std::memcpy(&key, name.data(), 4);
    std::size_t at = nameSlot(key);
    for (int probe = 0; probe < kNameProbes; ++probe, at = (at + 1) % kNameSlots) {
      if (m_nameSlots[at].index < 0) {
        m_nameSlots[at] = {key, index};
        return;
      }
    }
    m_namesComplete = false;
  }

  std::vector<NameSlot> m_nameSlots;
  bool m_namesComplete = true;
  std::vector<std::int32_t> m_window;
  std::int64_t m_windowStart = 0;
  std::string m_label;
  static constexpr std::size_t kSmallFilePairs = 1 << 16;
  std::size_t m_expectedStations = 0;
  std::size_t m_pairBudget = 0;
  DateNumber m_lastDate = 0;
  std::int32_t m_date = -1;
  std::int32_t m_name = -1;
};

}  // namespace detail

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

void ATRTable::mergeFile(detail::FileTable& file, const std::string& label) {
  const std::int32_t oldNames = m_names.Count();
  const std::int32_t oldDates = m_dates.Count();
  const std::size_t oldStride = static_cast<std::size_t>(oldNames);
  const std::size_t oldPairs = oldStride * static_cast<std::size_t>(oldDates);
  std::vector<std::size_t> nameAt(static_cast<std::size_t>(file.names.Count()));
  std::vector<std::size_t> dateAt(static_cast<std::size_t>(file.dates.Count()));
  std::vector<std::int16_t> wideVol;
  std::vector<HourMask> wideCounted;
  std::vector<std::int32_t> wideTotals;
  std::size_t records = 0;
  try {
    // One lookup for a value the table holds, the usual case.
    const auto placeIn = [](auto& list, const auto& value) {
      std::int32_t at = list.Index(value);
      if (at < 0) {
        list.Add(value);
        at = list.Count() - 1;
      }
      return static_cast<std::size_t>(at);
    };
    for (std::int32_t i = 0; i < file.names.Count(); ++i) {
      nameAt[static_cast<std::size_t>(i)] = placeIn(m_names, file.names.at(i));
    }
    for (std::int32_t i = 0; i < file.dates.Count(); ++i) {
      dateAt[static_cast<std::size_t>(i)] = placeIn(m_dates, file.dates.at(i));
    }
    if (std::int64_t{m_names.Count()} * m_dates.Count() > kMaxPairs) {
      throw tooLarge(label, m_names.Count(), m_dates.Count());
    }
    records =
        static_cast<std::size_t>(m_names.Count()) * static_cast<std::size_t>(m_dates.Count()) + 1;
    checkMemoryFor(static_cast<std::int64_t>(records));
    try {
      if (m_names.Count() != oldNames) {
        // With room for dates to come, as below, so that the next file need not move it all
        // again.
        std::size_t room = std::max(records, m_counted.capacity() * 3 / 2);
        if (!fitsInMemory(room)) room = records;
        wideVol.reserve(room * kHoursPerDay);
        wideCounted.reserve(room);
        wideTotals.reserve(room);
      } else {
        // Room first, so that nothing below can fail once the table starts to change. Growing
        // by half again keeps a run of adds linear.
        const auto grow = [records](auto& v, std::size_t per) {
          if (v.capacity() < records * per)
            v.reserve(std::max(records * per, v.capacity() * 3 / 2));
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
  } catch (...) {
    m_names.truncate(oldNames);
    m_dates.truncate(oldDates);
    throw;
  }

  const std::size_t stride = static_cast<std::size_t>(m_names.Count());
  if (stride != oldStride) {
    // New stations change the stride, so every held pair moves to its new record: each held
    // date's row, then zeros for the new stations. The room is there, so nothing allocates.
    for (std::size_t d = 0; d < static_cast<std::size_t>(oldDates); ++d) {
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
    growZeroed(wideVol, records * kHoursPerDay);
    growZeroed(wideCounted, records);
    growZeroed(wideTotals, records);
    m_vol = std::move(wideVol);
    m_counted = std::move(wideCounted);
    m_dailyVol = std::move(wideTotals);
  } else {
    // Records a loaded file held past its pairs are dropped, as the spare record is reused.
    m_vol.resize(oldPairs * kHoursPerDay);
    growZeroed(m_vol, records * kHoursPerDay);
    m_counted.resize(oldPairs);
    growZeroed(m_counted, records);
    m_dailyVol.resize(oldPairs);
    growZeroed(m_dailyVol, records);
  }
  for (std::size_t d = 0; d < dateAt.size(); ++d) {
    for (std::size_t s = 0; s < nameAt.size(); ++s) {
      const std::size_t from = file.stride * d + s;
      if (file.counted[from] == 0) continue;
      const std::size_t to = stride * dateAt[d] + nameAt[s];
      overlay(&file.vol[from * kHoursPerDay], file.counted[from], &m_vol[to * kHoursPerDay],
              m_counted[to]);
      m_dailyVol[to] = dailyTotal(&m_vol[to * kHoursPerDay]);
    }
  }
  m_lngLast = static_cast<std::int32_t>(records - 1);
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
