#include "core/table/TableFile.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "core/table/ATRTable.h"
#include "core/table/Error.h"

namespace ostrilo {

namespace {

constexpr std::uint16_t kDateArrayTag = 0x2007;
constexpr std::uint16_t kTextArrayTag = 0x2008;
constexpr std::uint16_t kInt16ArrayTag = 0x2002;

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
  if (count > static_cast<std::uint32_t>(std::numeric_limits<std::int16_t>::max())) {
    in.fail(std::to_string(count) + " " + what + "; a table holds at most 32767",
            ErrorKind::Overflow);
  }
}

}  // namespace

std::string encodeTableFile(const std::vector<DateNumber>& dates,
                            const std::vector<std::string>& names,
                            const std::vector<std::int16_t>& volumes) {
  std::string out;
  out.reserve(12 + 8 * dates.size() + 12 + 6 * names.size() + 20 + 2 * volumes.size());

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
  putBound(out, volumes.size() / kHoursPerDay);
  // The volumes are most of the file; appended one by one they cost more than the rest of it.
  const std::size_t at = out.size();
  out.resize(at + 2 * volumes.size());
  if constexpr (std::endian::native == std::endian::little) {
    if (!volumes.empty()) std::memcpy(out.data() + at, volumes.data(), 2 * volumes.size());
  } else {
    for (std::size_t i = 0; i < volumes.size(); ++i) {
      const auto v = static_cast<std::uint16_t>(volumes[i]);
      out[at + 2 * i] = static_cast<char>(v & 0xff);
      out[at + 2 * i + 1] = static_cast<char>(v >> 8);
    }
  }
  return out;
}

TableFileContent decodeTableFile(std::string_view bytes, std::string_view fileLabel) {
  ByteReader in(bytes, fileLabel);
  TableFileContent content;

  const std::uint32_t dateCount = in.header(kDateArrayTag, 1, "record 1 (dates)")[0];
  // A count larger than the bytes left is a damaged file before it is a table too large.
  in.need(std::size_t{dateCount} * 8, "record 1 (dates)");
  checkListSize(in, dateCount, "dates");
  content.dates.reserve(dateCount);
  for (std::uint32_t i = 0; i < dateCount; ++i) {
    const DateNumber date = in.f64("record 1 (dates)");
    if (!std::isfinite(date) || date <= kFirstDateNumber - 1 || date >= kDateNumberEnd) {
      in.fail("date " + std::to_string(i + 1) + " of record 1 lies outside the years 100-9999");
    }
    if (!content.dates.Add(date)) {
      in.fail("record 1 holds the date " + isoDate(date) + " twice");
    }
  }

  const std::uint32_t nameCount = in.header(kTextArrayTag, 1, "record 2 (station names)")[0];
  in.need(std::size_t{nameCount} * 2, "record 2 (station names)");
  checkListSize(in, nameCount, "station names");
  content.names.reserve(nameCount);
  for (std::uint32_t i = 0; i < nameCount; ++i) {
    const std::uint16_t length = in.u16("record 2 (station names)");
    const std::string_view name = in.bytes(length, "record 2 (station names)");
    if (!content.names.Add(std::string(name))) {
      in.fail("record 2 holds the station name " + quoteForMessage(name) + " twice");
    }
  }

  const std::size_t pairs = std::size_t{dateCount} * nameCount;
  if (pairs >= static_cast<std::size_t>(kRecordLimit)) {
    in.fail(std::to_string(nameCount) + " stations x " + std::to_string(dateCount) +
                " dates = " + std::to_string(pairs) + " records; a table holds fewer than 32767",
            ErrorKind::Overflow);
  }

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
  // One bounds check for the whole record; element by element it would cost more than the
  // reading of the file.
  const std::string_view raw = in.bytes(records * kHoursPerDay * 2, "record 3 (hourly volumes)");
  content.volumes.resize(records * kHoursPerDay);
  if constexpr (std::endian::native == std::endian::little) {
    // A table without records has no buffer at all, and memcpy must not be handed a null one.
    if (!raw.empty()) std::memcpy(content.volumes.data(), raw.data(), raw.size());
  } else {
    for (std::size_t i = 0; i < content.volumes.size(); ++i) {
      content.volumes[i] = static_cast<std::int16_t>(
          static_cast<unsigned char>(raw[2 * i]) | static_cast<unsigned char>(raw[2 * i + 1]) << 8);
    }
  }
  return content;
}

}  // namespace ostrilo
