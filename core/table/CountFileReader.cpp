#include "core/table/CountFileReader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <vector>

#include "core/table/Error.h"
#include "core/table/LineFeeder.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ostrilo {

namespace {

using detail::LineFeeder;
using detail::readLines;
using detail::where;

constexpr std::size_t kFieldCount = 12;
constexpr std::size_t kFirstVolumeColumn = 14;
constexpr std::size_t kFieldWidth = 5;

// The bytes at 1-based columns [first, first + width) that the line holds; shorter (possibly
// empty) when the line ends earlier.
std::string_view columns(std::string_view line, std::size_t first, std::size_t width) {
  if (line.size() < first) return {};
  return line.substr(first - 1, width);
}

bool isBlank(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return c == ' '; });
}

std::string_view trimBlanks(std::string_view s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(' ');
  return s.substr(first, last - first + 1);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A month, day or year pair of a count-file date: two digits, or a blank and a digit.
std::optional<int> parsePair(std::string_view pair) {
  if (pair.size() != 2 || !isDigit(pair[1])) return std::nullopt;
  if (pair[0] == ' ') return pair[1] - '0';
  if (!isDigit(pair[0])) return std::nullopt;
  return (pair[0] - '0') * 10 + (pair[1] - '0');
}

std::optional<DateNumber> parseMonthDayYear(std::string_view text) {
  if (text.size() != 6) return std::nullopt;
  const auto month = parsePair(text.substr(0, 2));
  const auto day = parsePair(text.substr(2, 2));
  const auto yy = parsePair(text.substr(4, 2));
  if (!month || !day || !yy) return std::nullopt;
  const int year = fullYearFromTwoDigits(*yy);
  if (!isValidCivilDate(year, *month, *day)) return std::nullopt;
  return dateFromCivil(CivilDate{year, *month, *day});
}

// Nearly every field is blanks followed by digits; those skip the general parser, which
// dominates the time of reading a large file otherwise. -1 when the field is anything else.
int plainVolume(std::string_view field) {
  std::size_t i = 0;
  while (i < field.size() && field[i] == ' ') ++i;
  if (i == field.size()) return -1;
  int value = 0;
  for (; i < field.size(); ++i) {
    const auto digit = static_cast<unsigned>(field[i] - '0');
    if (digit > 9) return -1;
    value = value * 10 + static_cast<int>(digit);
  }
  return value;
}

// The same for a whole 5-byte field, all bytes at once: blanks may only lead, and at least one
// digit must follow. A field of anything else answers -1 and goes the slow way.
int wholeFieldVolume(const char* p) {
  std::uint64_t x = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::uint32_t head = 0;
    std::memcpy(&head, p, 4);
    x = head | std::uint64_t{static_cast<unsigned char>(p[4])} << 32;
  } else {
    for (int i = 4; i >= 0; --i) x = x << 8 | static_cast<unsigned char>(p[i]);
  }
  constexpr std::uint64_t kOnes = 0x0101010101ULL;
  constexpr std::uint64_t kLow7 = 0x7F * kOnes;
  // 0x80 in exactly the bytes that are blanks.
  const std::uint64_t notBlank = x ^ (0x20 * kOnes);
  const std::uint64_t blankHigh =
      ~(((notBlank & kLow7) + kLow7) | notBlank | kLow7) & (0x80 * kOnes);
  const std::uint64_t blanks = (blankHigh >> 7) * 0xFF;  // 0xFF in each blank byte
  if ((blanks & (blanks + 1)) != 0 || blanks == 0xFF * kOnes) return -1;
  const std::uint64_t y = x | (blanks & (0x10 * kOnes));  // leading blanks become '0'
  if ((y & (0xF0 * kOnes)) != 0x30 * kOnes ||
      ((y + 0x06 * kOnes) & (0xF0 * kOnes)) != 0x30 * kOnes) {
    return -1;
  }
  const std::uint64_t d = y - 0x30 * kOnes;
  return static_cast<int>((d & 0xFF) * 10000 + (d >> 8 & 0xFF) * 1000 + (d >> 16 & 0xFF) * 100 +
                          (d >> 24 & 0xFF) * 10 + (d >> 32 & 0xFF));
}

#if defined(__SSE2__)
// The digits and the blanks among the 16 bytes at at, one bit per byte.
[[gnu::always_inline]] inline void classifyBytes(const char* at, std::uint64_t& digits,
                                                 std::uint64_t& blanks) {
  const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  const __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(c, _mm_set1_epi8('0' - 1)),
                                      _mm_cmplt_epi8(c, _mm_set1_epi8('9' + 1)));
  digits = static_cast<std::uint32_t>(_mm_movemask_epi8(digit));
  blanks = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(c, _mm_set1_epi8(' '))));
}

// True when the 60 bytes at p are twelve plain fields by their bytes alone: every byte a digit
// or a blank, every field ending in a digit, and a blank only where the field starts or a blank
// precedes it. The bytes are classified all at once, and the rules checked on the masks.
[[gnu::always_inline]] inline bool plainFieldBytes(const char* p) {
  std::uint64_t digits = 0;
  std::uint64_t blanks = 0;
  for (int block = 0; block < 3; ++block) {
    std::uint64_t d = 0;
    std::uint64_t b = 0;
    classifyBytes(p + 16 * block, d, b);
    digits |= d << (16 * block);
    blanks |= b << (16 * block);
  }
  std::uint64_t d = 0;
  std::uint64_t b = 0;
  classifyBytes(p + 44, d, b);  // bytes 44-59; the first four are known already
  digits |= (d >> 4) << 48;
  blanks |= (b >> 4) << 48;
  constexpr std::uint64_t kAll = (std::uint64_t{1} << 60) - 1;
  constexpr std::uint64_t kFieldFirst = 0x0084210842108421ULL;  // bits 0, 5, ..., 55
  constexpr std::uint64_t kFieldLast = kFieldFirst << 4;
  return (digits | blanks) == kAll && (digits & kFieldLast) == kFieldLast &&
         (blanks & ~kFieldFirst & ~(blanks << 1)) == 0;
}

// Field k of the plain fields at p, as the pair sums of its weighted digits: the field from the
// 8 bytes that hold it (from the byte before it; the last field from three bytes before, as the
// line may end with it). The low nibble of a blank is 0, of a digit its value; pmaddwd weights
// the digits and sums them in pairs of 16-bit lanes, the other field's bytes weighted 0.
[[gnu::always_inline]] inline __m128i fieldPairSums(const char* p, std::size_t k) {
  const bool last = k == 11;
  const __m128i weights = last ? _mm_setr_epi16(0, 0, 0, 10000, 1000, 100, 10, 1)
                               : _mm_setr_epi16(0, 10000, 1000, 100, 10, 1, 0, 0);
  const __m128i bytes =
      _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + 5 * k - (last ? 3 : 1)));
  return _mm_madd_epi16(
      _mm_unpacklo_epi8(_mm_and_si128(bytes, _mm_set1_epi8(0x0F)), _mm_setzero_si128()), weights);
}

// The values of fields k to k + 3, one per 32-bit lane: their pair sums added up together.
[[gnu::always_inline]] inline __m128i fourFieldValues(const char* p, std::size_t k) {
  const __m128i v0 = fieldPairSums(p, k), v1 = fieldPairSums(p, k + 1),
                v2 = fieldPairSums(p, k + 2), v3 = fieldPairSums(p, k + 3);
  const __m128i s01 = _mm_add_epi32(_mm_unpacklo_epi32(v0, v1), _mm_unpackhi_epi32(v0, v1));
  const __m128i s23 = _mm_add_epi32(_mm_unpacklo_epi32(v2, v3), _mm_unpackhi_epi32(v2, v3));
  return _mm_add_epi32(_mm_unpacklo_epi64(s01, s23), _mm_unpackhi_epi64(s01, s23));
}
#endif

// The twelve 5-byte volume fields of a whole line at p (the line's column 14, so the byte
// before p belongs to the line too), when every one is plain: blanks that
// only lead, then at least one digit, a value up to 32,767. False, with out undefined, when
// any field is anything else; such a line goes the careful way.
bool plainVolumes(const char* p, std::array<std::int16_t, 12>& out) {
#if defined(__SSE2__)
  if (!plainFieldBytes(p)) return false;
  const __m128i first = fourFieldValues(p, 0), middle = fourFieldValues(p, 4),
                last = fourFieldValues(p, 8);
  const __m128i limit = _mm_set1_epi32(std::numeric_limits<std::int16_t>::max());
  const __m128i over =
      _mm_or_si128(_mm_or_si128(_mm_cmpgt_epi32(first, limit), _mm_cmpgt_epi32(middle, limit)),
                   _mm_cmpgt_epi32(last, limit));
  if (_mm_movemask_epi8(over) != 0) return false;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out.data()), _mm_packs_epi32(first, middle));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out.data() + 8), _mm_packs_epi32(last, last));
  return true;
#else
  bool plain = true;
  for (std::size_t k = 0; k < 12; ++k) {
    const int value = wholeFieldVolume(p + 5 * k);
    plain = plain && value >= 0 && value <= std::numeric_limits<std::int16_t>::max();
    out[k] = static_cast<std::int16_t>(value);
  }
  return plain;
#endif
}

// A file holds few distinct dates on many lines; each date text is converted once. The
// cache is an open-addressed table on the six bytes of the text; a file of more dates than it
// holds converts the rest every time, which is only slower.
class DateCache {
 public:
  std::optional<DateNumber> convert(std::string_view text) {
    if (text.size() != 6) return std::nullopt;
    std::uint64_t key = 0;
    std::memcpy(&key, text.data(), 6);
    // Lines of one date usually follow each other.
    if (key == m_lastKey && m_lastKnown) return m_lastDate;
    std::size_t at = (key * 0x9E3779B97F4A7C15ULL) >> 54;
    for (int probe = 0; probe < kProbes; ++probe, at = (at + 1) % kSlots) {
      Slot& slot = m_slots[at];
      if (slot.used && slot.key == key) return remember(key, slot.date);
      if (!slot.used) {
        const auto date = parseMonthDayYear(text);
        if (!date) return std::nullopt;
        slot = {key, *date, true};
        return remember(key, *date);
      }
    }
    return parseMonthDayYear(text);
  }

 private:
  DateNumber remember(std::uint64_t key, DateNumber date) {
    m_lastKey = key;
    m_lastDate = date;
    m_lastKnown = true;
    return date;
  }

  static constexpr std::size_t kSlots = 1024;
  static constexpr int kProbes = 8;
  struct Slot {
    std::uint64_t key = 0;
    DateNumber date = 0;
    bool used = false;
  };
  std::vector<Slot> m_slots = std::vector<Slot>(kSlots);
  std::uint64_t m_lastKey = 0;
  DateNumber m_lastDate = 0;
  bool m_lastKnown = false;
};

CountLine parseLine(std::string_view line, std::string_view fileLabel, std::size_t lineNo,
                    DateCache& cache) {
  CountLine parsed;

  const std::string_view half = columns(line, 2, 1);
  if (half.empty() || !isDigit(half[0])) {
    throw Error(ErrorKind::Conversion, where(fileLabel, lineNo) + "half-day digit (column 2): " +
                                           quoteForMessage(half) + " is not a digit");
  }
  parsed.firstHalf = half[0] == '1';

  const std::string_view dateText = columns(line, 3, 6);
  const auto date = cache.convert(dateText);
  if (!date) {
    throw Error(ErrorKind::Conversion, where(fileLabel, lineNo) +
                                           "date (columns 3-8): " + quoteForMessage(dateText) +
                                           " is not a valid mmddyy date");
  }
  parsed.date = *date;
  parsed.name = columns(line, 10, 4);

  // A line that holds all twelve fields whole, nearly every line, takes them in one pass; any
  // field that is not blanks and digits sends the whole line the careful way below.
  if (line.size() >= kFirstVolumeColumn - 1 + kFieldCount * kFieldWidth) {
    if (plainVolumes(line.data() + kFirstVolumeColumn - 1, parsed.volumes)) return parsed;
  }
  for (std::size_t k = 0; k < kFieldCount; ++k) {
    const std::size_t first = kFirstVolumeColumn + kFieldWidth * k;
    const std::string_view field = columns(line, first, kFieldWidth);
    const int plain =
        field.size() == kFieldWidth ? wholeFieldVolume(field.data()) : plainVolume(field);
    if (plain >= 0 && plain <= std::numeric_limits<std::int16_t>::max()) {
      parsed.volumes[k] = static_cast<std::int16_t>(plain);
      continue;
    }
    const auto value = field.empty() ? std::nullopt : parseVolumeField(field);
    if (value && *value >= std::numeric_limits<std::int16_t>::min() &&
        *value <= std::numeric_limits<std::int16_t>::max()) {
      parsed.volumes[k] = static_cast<std::int16_t>(*value);
      continue;
    }
    // Only a failing field pays for building its description.
    const std::string fieldName = where(fileLabel, lineNo) + "volume field " +
                                  std::to_string(k + 1) + " (columns " + std::to_string(first) +
                                  "-" + std::to_string(first + kFieldWidth - 1) + ")";
    if (field.empty()) {
      throw Error(ErrorKind::Conversion, fieldName + " is missing: the line ends at column " +
                                             std::to_string(line.size()));
    }
    const std::string shown =
        quoteForMessage(trimBlanks(field).empty() ? field : trimBlanks(field));
    if (!value) throw Error(ErrorKind::Conversion, fieldName + ": " + shown + " is not a number");
    throw Error(ErrorKind::Overflow,
                fieldName + ": " + shown + " lies outside the range -32768 to 32767");
  }
  return parsed;
}

// The count-file parser on each line that is not blank.
class CountLineParser {
 public:
  CountLineParser(std::string_view fileLabel, const CountLineVisitor& visit)
      : m_label(fileLabel), m_visit(visit) {}
  void operator()(std::string_view text, std::size_t lineNo) const {
    if (!isBlank(text)) m_visit(parseLine(text, m_label, lineNo, m_cache));
  }

 private:
  std::string_view m_label;
  const CountLineVisitor& m_visit;
  mutable DateCache m_cache;
};

}  // namespace

void parseCountText(std::string_view text, std::string_view fileLabel,
                    const CountLineVisitor& visit) {
  const CountLineParser parser(fileLabel, visit);
  LineFeeder<CountLineParser>(fileLabel, parser).feed(text, true);
}

void readCountFile(const std::string& path, std::string_view fileLabel,
                   const CountLineVisitor& visit) {
  readLines(path, fileLabel, CountLineParser(fileLabel, visit));
}

std::vector<CountLine> parseCountFile(std::string_view text, std::string_view fileLabel) {
  std::vector<CountLine> lines;
  parseCountText(text, fileLabel, [&](const CountLine& line) { lines.push_back(line); });
  return lines;
}

std::optional<long long> parseVolumeField(std::string_view field) {
  std::string_view s = trimBlanks(field);
  if (s.empty()) return std::nullopt;
  bool negative = false;
  if (s.front() == '+' || s.front() == '-') {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  const std::size_t dot = s.find('.');
  const std::string_view whole = s.substr(0, dot);
  const std::string_view fraction =
      dot == std::string_view::npos ? std::string_view{} : s.substr(dot + 1);
  if (whole.empty() && fraction.empty()) return std::nullopt;
  const auto allDigits = [](std::string_view part) {
    return std::all_of(part.begin(), part.end(), isDigit);
  };
  if (!allDigits(whole) || !allDigits(fraction)) return std::nullopt;

  // Anything of more than 15 digits is far outside every volume's range; keep it there without
  // overflowing the accumulator.
  constexpr long long kHuge = 1'000'000'000'000'000LL;
  long long magnitude = 0;
  for (const char c : whole) {
    magnitude = std::min(kHuge, magnitude * 10 + (c - '0'));
  }
  if (!fraction.empty()) {
    const char first = fraction.front();
    const bool restNonZero = fraction.find_first_not_of('0', 1) != std::string_view::npos;
    const bool roundUp = first > '5' || (first == '5' && (restNonZero || magnitude % 2 == 1));
    if (roundUp) ++magnitude;
  }
  return negative ? -magnitude : magnitude;
}

}  // namespace ostrilo
