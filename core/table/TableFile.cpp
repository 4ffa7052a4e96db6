#include "core/table/TableFile.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <type_traits>

#include "core/table/ATRTable.h"
#include "core/table/CountFileReader.h"
#include "core/table/Error.h"
#include "core/table/OutputFile.h"

namespace ostrilo {

namespace {

constexpr std::uint16_t kDateArrayTag = 0x2007;
constexpr std::uint16_t kTextArrayTag = 0x2008;
constexpr std::uint16_t kInt16ArrayTag = 0x2002;
constexpr std::uint16_t kInt32ArrayTag = 0x2003;
constexpr HourMask kBitsPastHours = ~kAllHours;

// The bytes of a vector as the file holds them, little-endian: on a little-endian machine the
// vector's own memory, elsewhere a converted copy kept in spare.
template <typename T>
std::string_view littleEndianBytes(const std::vector<T>& values, std::string& spare) {
  if constexpr (std::endian::native == std::endian::little) {
    return {reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T)};
  } else {
    spare.resize(values.size() * sizeof(T));
    for (std::size_t i = 0; i < values.size(); ++i) {
      auto v = static_cast<std::make_unsigned_t<T>>(values[i]);
      for (std::size_t b = 0; b < sizeof(T); ++b)
        spare[i * sizeof(T) + b] = static_cast<char>(v >> (8 * b));
    }
    return spare;
  }
}

// Fills values from little-endian bytes (raw holds exactly values.size() of them).
template <typename T>
void fromLittleEndian(std::string_view raw, std::vector<T>& values) {
  if constexpr (std::endian::native == std::endian::little) {
    // A table without records has no buffer at all, and memcpy must not be handed a null one.
    if (!raw.empty()) std::memcpy(values.data(), raw.data(), raw.size());
  } else {
    for (std::size_t i = 0; i < values.size(); ++i) {
      std::make_unsigned_t<T> v = 0;
      for (std::size_t b = 0; b < sizeof(T); ++b) {
        v |=
            static_cast<std::make_unsigned_t<T>>(static_cast<unsigned char>(raw[i * sizeof(T) + b]))
            << (8 * b);
      }
      values[i] = static_cast<T>(v);
    }
  }
}

void putU16(std::string& out, std::uint16_t v) {
  out += static_cast<char>(v & 0xff);
  out += static_cast<char>(v >> 8);
}

void putU32(std::string& out, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((v >> shift) & 0xff);
}

void putU64(std::string& out, std::uint64_t v) {
  for (int shift = 0; shift < 64; shift += 8) out += static_cast<char>((v >> shift) & 0xff);
}

void putBound(std::string& out, std::size_t count) {
  putU32(out, static_cast<std::uint32_t>(count));
  putU32(out, 0);  // lower bound
}

// Reads little-endian values from an untrusted buffer; every read first checks that the bytes
// are there, so a truncated or lying file ends in a clear error rather than a bad read.
class ByteReader {
 public:
  ByteReader(std::string_view bytes, std::string_view label) : m_bytes(bytes), m_label(label) {}

  [[nodiscard]] std::size_t left() const noexcept { return m_bytes.size() - m_pos; }

  void need(std::size_t n, const char* what) const {
    if (n > left()) {
      fail("the file ends inside " + std::string(what) + " (at byte " + std::to_string(m_pos) +
           ", " + std::to_string(n) + " bytes needed, " + std::to_string(left()) + " left)");
    }
  }

  std::uint64_t take(std::size_t n, const char* what) {
    need(n, what);
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i) {
      v |= std::uint64_t{static_cast<unsigned char>(m_bytes[m_pos + i])} << (8 * i);
    }
    m_pos += n;
    return v;
  }

  std::uint16_t u16(const char* what) { return static_cast<std::uint16_t>(take(2, what)); }
  std::uint32_t u32(const char* what) { return static_cast<std::uint32_t>(take(4, what)); }
  double f64(const char* what) { return std::bit_cast<double>(take(8, what)); }

  std::string_view bytes(std::size_t n, const char* what) {
    need(n, what);
    const std::string_view out = m_bytes.substr(m_pos, n);
    m_pos += n;
    return out;
  }

  // True when the next bytes are the tag and dimension count of such a record.
  [[nodiscard]] bool startsRecord(std::uint16_t tag, std::uint16_t dims) const {
    if (left() < 4) return false;
    const auto at = [&](std::size_t i) {
      return static_cast<std::uint16_t>(static_cast<unsigned char>(m_bytes[m_pos + i]) |
                                        static_cast<unsigned char>(m_bytes[m_pos + i + 1]) << 8);
    };
    return at(0) == tag && at(2) == dims;
  }

  [[noreturn]] void fail(const std::string& why, ErrorKind kind = ErrorKind::BadTableFile) const {
    throw Error(kind, std::string(m_label) + " is not a valid table file: " + why);
  }

  // Reads a record's type tag and dimension count, then one bound entry per dimension; answers
  // the element counts (lower bounds are accepted whatever they are).
  std::vector<std::uint32_t> header(std::uint16_t tag, std::uint16_t dims, const char* record) {
    const std::uint16_t gotTag = u16(record);
    if (gotTag != tag) {
      fail(std::string(record) + " has type tag " + hex(gotTag) + ", expected " + hex(tag));
    }
    const std::uint16_t gotDims = u16(record);
    if (gotDims != dims) {
      fail(std::string(record) + " has " + std::to_string(gotDims) + " dimensions, expected " +
           std::to_string(dims));
    }
    std::vector<std::uint32_t> counts;
    for (std::uint16_t d = 0; d < dims; ++d) {
      counts.push_back(u32(record));
      static_cast<void>(u32(record));  // lower bound
    }
    return counts;
  }

 private:
  static std::string hex(std::uint16_t v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%04X", v);
    return buf;
  }

  std::string_view m_bytes;
  std::string_view m_label;
  std::size_t m_pos = 0;
};

void checkListSize(const ByteReader& in, std::uint32_t count, const char* what) {
  if (count > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
    in.fail(std::to_string(count) + " " + what + "; a table holds at most " +
                std::to_string(std::numeric_limits<std::int32_t>::max()),
            ErrorKind::Overflow);
  }
}

std::string tableFileHead(const std::vector<DateNumber>& dates,
                          const std::vector<std::string>& names, std::size_t records) {
  std::string out;
  out.reserve(12 + 8 * dates.size() + 12 + 6 * names.size() + 20);

  putU16(out, kDateArrayTag);
  putU16(out, 1);
  putBound(out, dates.size());
  for (const DateNumber d : dates) putU64(out, std::bit_cast<std::uint64_t>(d));

  putU16(out, kTextArrayTag);
  putU16(out, 1);
  putBound(out, names.size());
  for (const std::string& name : names) {
    if (name.size() > std::numeric_limits<std::uint16_t>::max()) {
      throw Error(ErrorKind::Overflow, "A station name of " + std::to_string(name.size()) +
                                           " bytes is too long for a table file");
    }
    putU16(out, static_cast<std::uint16_t>(name.size()));
    out += name;
  }

  putU16(out, kInt16ArrayTag);
  putU16(out, 2);
  putBound(out, kHoursPerDay);
  putBound(out, records);
  return out;
}

std::string countedHoursHead(std::size_t records) {
  std::string out;
  putU16(out, kInt32ArrayTag);
  putU16(out, 1);
  putBound(out, records);
  return out;
}

}  // namespace

std::string encodeTableFile(const std::vector<DateNumber>& dates,
                            const std::vector<std::string>& names,
                            const std::vector<std::int16_t>& volumes) {
  std::string spare;
  return tableFileHead(dates, names, volumes.size() / kHoursPerDay) +
         std::string(littleEndianBytes(volumes, spare));
}

std::string encodeCountedHours(const std::vector<HourMask>& counted) {
  std::string spare;
  return countedHoursHead(counted.size()) + std::string(littleEndianBytes(counted, spare));
}

void saveTableFile(const std::string& path, const std::vector<DateNumber>& dates,
                   const std::vector<std::string>& names, const std::vector<std::int16_t>& volumes,
                   const std::vector<HourMask>& counted) {
  const std::size_t records = volumes.size() / kHoursPerDay;
  std::string spareVolumes;
  std::string spareCounted;
  writeOutputFile(path,
                  {tableFileHead(dates, names, records), littleEndianBytes(volumes, spareVolumes),
                   countedHoursHead(records), littleEndianBytes(counted, spareCounted)});
}

namespace {

// The element count of a list record, after its header: within the bytes left (each element
// takes at least minBytes) and the size of a table's lists.
std::uint32_t listCount(ByteReader& in, std::uint16_t tag, const char* record, std::size_t minBytes,
                        const char* what) {
  const std::uint32_t count = in.header(tag, 1, record)[0];
  // A count larger than the bytes left is a damaged file before it is a table too large.
  in.need(std::size_t{count} * minBytes, record);
  checkListSize(in, count, what);
  return count;
}

// Record 1: the dates, whole days of the years 100-9999, each once.
void readDates(ByteReader& in, DateList& dates) {
  const std::uint32_t dateCount = listCount(in, kDateArrayTag, "record 1 (dates)", 8, "dates");
  dates.reserve(dateCount);
  for (std::uint32_t i = 0; i < dateCount; ++i) {
    const DateNumber date = in.f64("record 1 (dates)");
    if (!std::isfinite(date) || date <= kFirstDateNumber - 1 || date >= kDateNumberEnd) {
      in.fail("date " + std::to_string(i + 1) + " of record 1 lies outside the years 100-9999");
    }
    // A table holds calendar days; a time of day would put one day in the table twice.
    if (date != std::floor(date)) {
      char text[40];
      std::snprintf(text, sizeof text, "%.10g", date);
      in.fail("date " + std::to_string(i + 1) + " of record 1 (" + text + ", " + isoDate(date) +
              ") is not a whole day");
    }
    if (!dates.Add(date)) {
      in.fail("record 1 holds the date " + isoDate(date) + " twice");
    }
  }
}

// Record 2: the station names, each once.
void readNames(ByteReader& in, NameList& names) {
  const std::uint32_t nameCount =
      listCount(in, kTextArrayTag, "record 2 (station names)", 2, "station names");
  names.reserve(nameCount);
  for (std::uint32_t i = 0; i < nameCount; ++i) {
    const std::uint16_t length = in.u16("record 2 (station names)");
    const std::string_view name = in.bytes(length, "record 2 (station names)");
    if (!names.Add(std::string(name))) {
      in.fail("record 2 holds the station name " + quoteForMessage(name) + " twice");
    }
  }
}

// The stations x dates pairs of the lists read, within what a table holds.
std::size_t checkedPairs(const ByteReader& in, const TableFileContent& content) {
  const auto dateCount = static_cast<std::size_t>(content.dates.Count());
  const auto nameCount = static_cast<std::size_t>(content.names.Count());
  const std::size_t pairs = dateCount * nameCount;
  if (pairs > static_cast<std::size_t>(kMaxPairs)) {
    in.fail(std::to_string(nameCount) + " stations x " + std::to_string(dateCount) +
                " dates = " + std::to_string(pairs) + " records; a table holds at most " +
                std::to_string(kMaxPairs),
            ErrorKind::Overflow);
  }
  return pairs;
}

// Record 3: the hourly volumes, at least one record per pair; either dimension may be the hours.
void readVolumes(ByteReader& in, std::size_t pairs, TableFileContent& content) {
  const std::vector<std::uint32_t> bounds =
      in.header(kInt16ArrayTag, 2, "record 3 (hourly volumes)");
  std::size_t records = 0;
  if (bounds[0] == kHoursPerDay) {
    records = bounds[1];
  } else if (bounds[1] == kHoursPerDay) {
    records = bounds[0];
  } else {
    in.fail("record 3 has no hour dimension of 24 elements (its dimensions are " +
            std::to_string(bounds[0]) + " and " + std::to_string(bounds[1]) + ")");
  }
  in.need(records * kHoursPerDay * 2, "record 3 (hourly volumes)");
  if (records < pairs) {
    in.fail("record 3 holds " + std::to_string(records) + " records, fewer than the " +
                std::to_string(pairs) + " of its stations and dates",
            ErrorKind::OutOfRange);
  }
  checkMemoryFor(static_cast<std::int64_t>(records));
  // One bounds check for the whole record; element by element it would cost more than the
  // reading of the file.
  const std::string_view raw = in.bytes(records * kHoursPerDay * 2, "record 3 (hourly volumes)");
  try {
    content.volumes.resize(records * kHoursPerDay);
    content.counted.resize(records);
  } catch (const std::bad_alloc&) {
    throw notEnoughMemory(static_cast<std::int64_t>(records));
  }
  fromLittleEndian(raw, content.volumes);
}

// A file written before counted hours were kept: a record of 24 zeros was most likely never
// counted, any other was.
void guessCountedHours(TableFileContent& content) {
  for (std::size_t r = 0; r < content.counted.size(); ++r) {
    const auto first = content.volumes.begin() + static_cast<std::ptrdiff_t>(r * kHoursPerDay);
    content.counted[r] =
        std::all_of(first, first + kHoursPerDay, [](std::int16_t v) { return v == 0; }) ? 0
                                                                                        : kAllHours;
  }
}

// Record 4: one mask of counted hours per record of record 3.
void readCountedHours(ByteReader& in, TableFileContent& content) {
  constexpr const char* kRecord4 = "record 4 (counted hours)";
  const std::size_t records = content.counted.size();
  const std::uint32_t maskCount = in.header(kInt32ArrayTag, 1, kRecord4)[0];
  if (maskCount != records) {
    in.fail(std::string(kRecord4) + " holds " + std::to_string(maskCount) + " masks for the " +
            std::to_string(records) + " records of record 3");
  }
  fromLittleEndian(in.bytes(records * 4, kRecord4), content.counted);
  for (std::size_t r = 0; r < records; ++r) {
    if ((content.counted[r] & kBitsPastHours) != 0) {
      in.fail(std::string(kRecord4) + " marks hours past 23 counted in the mask of record " +
              std::to_string(r + 1));
    }
  }
}

}  // namespace

TableFileContent decodeTableFile(std::string_view bytes, std::string_view fileLabel) {
  ByteReader in(bytes, fileLabel);
  TableFileContent content;
  readDates(in, content.dates);
  readNames(in, content.names);
  readVolumes(in, checkedPairs(in, content), content);
  // Without record 4 the file may still go on with bytes of another program's own.
  if (in.startsRecord(kInt32ArrayTag, 1)) {
    readCountedHours(in, content);
  } else {
    guessCountedHours(content);
  }
  return content;
}

TableFileContent loadTableFile(const std::string& path, std::string_view fileLabel) {
  struct stat st {};
  const int fd = openRegularFile(path);
  const int rc = ::fstat(fd, &st);
  const int err = errno;
  ::close(fd);
  if (rc != 0) throw systemError(err, "Cannot read", path);
  // The file and the table it holds are in memory together for a moment; a file too large for
  // that is refused before any of it is read.
  const std::int64_t records = st.st_size / (kHoursPerDay * 2);
  checkMemoryFor(records, st.st_size);
  // Read, not mapped: a file that shrinks or fails while mapped ends the process (SIGBUS),
  // where a read fails with an error we can report.
  std::string bytes;
  try {
    bytes = readWholeFile(path);
  } catch (const std::bad_alloc&) {
    throw notEnoughMemory(records);
  } catch (const std::length_error&) {
    throw notEnoughMemory(records);
  }
  return decodeTableFile(bytes, fileLabel);
}

}  // namespace ostrilo
