#pragma once

// The pairs of one file as it is read, before they join a table; only ATRTable.cpp uses it.

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/table/ATRTable.h"
#include "core/table/AvailableMemory.h"
#include "core/table/CountFileReader.h"
#include "core/table/Error.h"

namespace ostrilo::detail {

inline constexpr HourMask kFirstHalf = 0x000FFFu;
inline constexpr HourMask kSecondHalf = 0xFFF000u;

inline Error tooLarge(std::string_view label, std::int64_t stations, std::int64_t dates) {
  return Error(ErrorKind::Overflow,
               std::string(label) + ": " + std::to_string(stations) + " stations x " +
                   std::to_string(dates) + " dates = " + std::to_string(stations * dates) +
                   " records; a table holds at most " + std::to_string(kMaxPairs));
}

// Copies a record's counted hours over another's; an hour not counted keeps what it held.
inline void overlay(const std::int16_t* from, HourMask fromMask, std::int16_t* to,
                    HourMask& toMask) {
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

inline bool fitsInMemory(std::size_t records) {
  const double needs = static_cast<double>(records) * kTableRecordBytes;
  const std::int64_t available = availableMemoryFor(needs);
  return available < 0 || needs <= static_cast<double>(available);
}

// The pairs of one count file, laid out while the file is read. Stations that arrive late
// widen the stride (records per date) in steps that double, so a file pays for its own
// re-layouts only, and linearly.
class FileTable {
 public:
  explicit FileTable(std::string label) : m_label(std::move(label)) {}

  // A file added to a table usually names the table's stations again. Growing the stride
  // straight to their count, instead of doubling up to it, spares the re-layouts; the file's
  // size bounds the records that this may take (a pair needs a line of 69 bytes and its end).
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

}  // namespace ostrilo::detail
