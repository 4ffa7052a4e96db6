#include "core/table/TmgVolumeReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <tuple>

#include "core/table/CountFileReader.h"
#include "core/table/Error.h"

namespace ostrilo {

namespace {

// The fields of a "3" record in the order of the fixed layouts.
enum Field : int { kType, kState, kFClass, kStation, kDir, kLane, kYear, kMonth, kDay, kDow };
constexpr int kFirstHour = 10;
constexpr int kRestriction = kFirstHour + kHoursPerDay;
constexpr int kFieldCount = kRestriction + 1;
constexpr std::int32_t kMaxVolume = 32767;

struct Span {
  std::size_t first = 0;  // 1-based column
  std::size_t width = 0;
};

struct FixedLayout {
  std::size_t length;
  std::array<Span, kFieldCount> spans;
};

FixedLayout fixedLayout(std::size_t length, std::size_t yearWidth) {
  FixedLayout layout{length, {}};
  const std::size_t y = 14;
  const std::size_t m = y + yearWidth;
  const std::array<Span, kFirstHour> head{Span{1, 1}, {2, 2},    {4, 2},         {6, 6},
                                          {12, 1},    {13, 1},   {y, yearWidth}, {m, 2},
                                          {m + 2, 2}, {m + 4, 1}};
  std::copy(head.begin(), head.end(), layout.spans.begin());
  for (int h = 0; h < kHoursPerDay; ++h) {
    layout.spans[kFirstHour + h] = {m + 5 + 5 * static_cast<std::size_t>(h), 5};
  }
  layout.spans[kRestriction] = {length, 1};
  return layout;
}

const FixedLayout kLayout2013 = fixedLayout(143, 4);
const FixedLayout kLayout2001 = fixedLayout(141, 2);

std::string hourName(int h) { return (h < 10 ? "hour_0" : "hour_") + std::to_string(h); }

const std::array<std::string, kFieldCount>& pipeNames() {
  static const std::array<std::string, kFieldCount> names = [] {
    std::array<std::string, kFieldCount> n{
        "record_type", "state_code",  "f_system",     "station_id", "travel_dir",
        "travel_lane", "year_record", "month_record", "day_record", "day_of_week"};
    for (int h = 0; h < kHoursPerDay; ++h) n[kFirstHour + h] = hourName(h);
    n[kRestriction] = "restrictions";
    return n;
  }();
  return names;
}

std::string_view trimBlanks(std::string_view s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool allDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int toInt(std::string_view digits) {
  int v = 0;
  for (const char c : digits) v = std::min(v * 10 + (c - '0'), 1'000'000);
  return v;
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::vector<std::string_view> splitPipes(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t at = 0;;) {
    const std::size_t bar = line.find('|', at);
    fields.push_back(trimBlanks(line.substr(at, bar == std::string_view::npos ? bar : bar - at)));
    if (bar == std::string_view::npos) return fields;
    at = bar + 1;
  }
}

// One record's fields, wherever they came from, and how a message names each.
struct RecordText {
  std::string_view label;
  std::size_t line = 0;
  const FixedLayout* fixed = nullptr;           // columns of a fixed record
  const std::vector<int>* pipeIndex = nullptr;  // field number of each field in a pipe record
  std::array<std::optional<std::string_view>, kFieldCount> text;

  [[nodiscard]] std::string describe(int f) const {
    static const std::array<const char*, kFirstHour> names{
        "record type", "state", "functional class", "station id", "direction", "lane", "year",
        "month",       "day",   "day of week"};
    const std::string name = f < kFirstHour     ? names[static_cast<std::size_t>(f)]
                             : f < kRestriction ? "hour " + hourName(f - kFirstHour).substr(5)
                                                : "restrictions";
    if (fixed != nullptr) {
      const Span s = fixed->spans[static_cast<std::size_t>(f)];
      return name + " (column" +
             (s.width == 1
                  ? " " + std::to_string(s.first)
                  : "s " + std::to_string(s.first) + "-" + std::to_string(s.first + s.width - 1)) +
             ")";
    }
    const int at = pipeIndex != nullptr ? (*pipeIndex)[static_cast<std::size_t>(f)] : f;
    return name + " (field " + std::to_string(at + 1) + ", " +
           pipeNames()[static_cast<std::size_t>(f)] + ")";
  }

  [[noreturn]] void refuse(ErrorKind kind, int f, std::string_view value,
                           const std::string& why) const {
    throw Error(kind, std::string(label) + ", line " + std::to_string(line) + ", " + describe(f) +
                          ": " + quoteForMessage(value) + " " + why);
  }

  [[nodiscard]] std::string_view get(int f) const {
    return text[static_cast<std::size_t>(f)].value_or(std::string_view{});
  }

  // Digits, blanks around them allowed only where a pipe separates the fields.
  int digits(int f, std::size_t maxWidth) const {
    const std::string_view v = get(f);
    if (!allDigits(v)) refuse(ErrorKind::Conversion, f, v, "is not a number");
    if (v.size() > maxWidth) refuse(ErrorKind::Conversion, f, v, "has too many digits");
    return toInt(v);
  }

  // A blank field is not counted; otherwise blanks may lead the digits.
  std::optional<std::int32_t> volume(int h) const {
    const int f = kFirstHour + h;
    const std::string_view raw = get(f);
    const std::string_view v = raw.substr(std::min(raw.find_first_not_of(' '), raw.size()));
    if (v.empty()) return std::nullopt;
    if (!allDigits(v)) refuse(ErrorKind::Conversion, f, raw, "is not a number");
    const int value = toInt(v);
    if (value > kMaxVolume) refuse(ErrorKind::Overflow, f, raw, "lies above 32767");
    return value;
  }
};

TmgVolumeRecord parseVolume(const RecordText& r) {
  TmgVolumeRecord rec;
  rec.line = r.line;
  const int state = r.digits(kState, 2);
  rec.state = (state < 10 ? "0" : "") + std::to_string(state);
  rec.fclass = std::string(trimBlanks(r.get(kFClass)));
  const std::string_view id = trimBlanks(r.get(kStation));
  if (id.empty() || id.size() > 20 || !std::all_of(id.begin(), id.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c));
      })) {
    r.refuse(ErrorKind::Conversion, kStation, r.get(kStation),
             "is not a station id (letters and digits)");
  }
  rec.station = std::string(id);
  rec.direction = r.digits(kDir, 1);
  rec.lane = r.get(kLane).empty() && r.fixed == nullptr ? 0 : r.digits(kLane, 2);
  const std::string_view yearText = r.get(kYear);
  int year = r.digits(kYear, 4);
  if (yearText.size() <= 2) year += year < 70 ? 2000 : 1900;
  const int month = r.digits(kMonth, 2);
  const int day = r.digits(kDay, 2);
  // Years before 1000 would leave the range a table file holds.
  if (year < 1000 || !isValidCivilDate(year, month, day)) {
    const std::string shown =
        std::string(yearText) + "-" + std::string(r.get(kMonth)) + "-" + std::string(r.get(kDay));
    r.refuse(ErrorKind::Conversion, kDay, shown, "is not a valid date (year-month-day)");
  }
  rec.date = dateFromCivil({year, month, day});
  if (!(r.fixed == nullptr && r.get(kDow).empty())) {
    rec.statedWeekday = r.digits(kDow, 1);
    if (rec.statedWeekday < 1 || rec.statedWeekday > 7) {
      r.refuse(ErrorKind::Conversion, kDow, r.get(kDow), "is not a day of the week 1-7");
    }
  }
  for (int h = 0; h < kHoursPerDay; ++h) {
    if (const auto v = r.volume(h)) {
      rec.volumes[static_cast<std::size_t>(h)] = *v;
      rec.counted |= HourMask{1} << h;
    }
  }
  const std::string_view restriction = trimBlanks(r.get(kRestriction));
  if (!restriction.empty()) {
    rec.restriction = r.digits(kRestriction, 1);
    if (rec.restriction > 5) {
      r.refuse(ErrorKind::Conversion, kRestriction, restriction, "is not a restriction code 0-5");
    }
  }
  return rec;
}

std::string_view columnsOf(std::string_view line, std::size_t first, std::size_t width) {
  return line.size() < first ? std::string_view{} : line.substr(first - 1, width);
}

// Implied decimals, as the station record writes its coordinates; none for a blank or zero field.
std::optional<double> impliedDegrees(std::string_view field, double sign) {
  const std::string_view v = trimBlanks(field);
  if (!allDigits(v) || v.size() > 9 || toInt(v) == 0) return std::nullopt;
  double value = 0;
  for (const char c : v) value = value * 10 + (c - '0');
  return sign * value / 1e6;
}

TmgStationRecord parseFixedStation(std::string_view line) {
  TmgStationRecord s;
  s.state = std::string(columnsOf(line, 2, 2));
  s.station = std::string(trimBlanks(columnsOf(line, 4, 6)));
  const std::string_view dir = columnsOf(line, 10, 1);
  const std::string_view lane = columnsOf(line, 11, 1);
  s.direction = allDigits(dir) ? toInt(dir) : 0;
  s.lane = allDigits(lane) ? toInt(lane) : 0;
  s.fclass = std::string(trimBlanks(columnsOf(line, 16, 2)));
  s.latitude = impliedDegrees(columnsOf(line, 102, 8), 1);
  // The record leaves the sign of a longitude out: every state lies west of Greenwich.
  s.longitude = impliedDegrees(columnsOf(line, 110, 9), -1);
  s.location = std::string(trimBlanks(columnsOf(line, 164, 50)));
  return s;
}

std::optional<double> decimalDegrees(std::string_view text) {
  const std::string t(trimBlanks(text));
  if (t.empty()) return std::nullopt;
  char* end = nullptr;
  const double v = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size() || !(v >= -180 && v <= 180)) return std::nullopt;
  return v;
}

// Reads the lines of one file: fixed records, or a pipe file with or without its header.
class TmgLineParser {
 public:
  TmgLineParser(std::string_view label, const TmgVisitors& visit)
      : m_label(label), m_visit(visit) {}

  void operator()(std::string_view line, std::size_t lineNo) {
    if (trimBlanks(line).empty()) return;
    if (!m_started) {
      m_started = true;
      m_pipe = line.find('|') != std::string_view::npos;
      if (m_pipe && readHeader(line, lineNo)) return;
    }
    if (m_pipe) {
      pipeLine(line, lineNo);
    } else {
      fixedLine(line, lineNo);
    }
  }

 private:
  void fixedLine(std::string_view line, std::size_t lineNo) {
    if (line[0] == 'S') {
      if (m_visit.station) m_visit.station(parseFixedStation(line));
      return;
    }
    if (line[0] != '3') return;
    const FixedLayout* layout = line.size() == 143   ? &kLayout2013
                                : line.size() == 141 ? &kLayout2001
                                                     : nullptr;
    if (layout == nullptr) {
      throw Error(ErrorKind::Conversion, std::string(m_label) + ", line " + std::to_string(lineNo) +
                                             ", record length: " + std::to_string(line.size()) +
                                             " columns; a volume record has 141 or 143");
    }
    RecordText r{m_label, lineNo, layout, nullptr, {}};
    for (int f = 0; f < kFieldCount; ++f) {
      const Span s = layout->spans[static_cast<std::size_t>(f)];
      r.text[static_cast<std::size_t>(f)] = line.substr(s.first - 1, s.width);
    }
    m_visit.volume(parseVolume(r));
  }

  // True when the line names columns rather than holding a record.
  bool readHeader(std::string_view line, std::size_t lineNo) {
    const auto fields = splitPipes(line);
    bool named = false;
    for (const std::string_view f : fields) {
      named = named || lower(f) == "station_id" || lower(f) == "hour_00";
    }
    if (!named) return false;
    m_headerLine = lineNo;
    m_headerFields = fields.size();
    m_index.assign(kFieldCount, -1);
    for (std::size_t k = 0; k < fields.size(); ++k) {
      const std::string name = lower(fields[k]);
      const auto& names = pipeNames();
      const auto known = std::find(names.begin(), names.end(), name);
      if (known != names.end())
        m_index[static_cast<std::size_t>(known - names.begin())] = static_cast<int>(k);
      if (name == "station_location") m_location = static_cast<int>(k);
      if (name == "latitude") m_latitude = static_cast<int>(k);
      if (name == "longitude") m_longitude = static_cast<int>(k);
    }
    return true;
  }

  void pipeLine(std::string_view line, std::size_t lineNo) {
    const auto fields = splitPipes(line);
    const bool header = !m_index.empty();
    const auto field = [&](int k) {
      return k >= 0 && static_cast<std::size_t>(k) < fields.size()
                 ? fields[static_cast<std::size_t>(k)]
                 : std::string_view{};
    };
    const std::string_view type =
        header && m_index[kType] < 0 ? "3" : field(header ? m_index[kType] : 0);
    if (type == "S" && header) {
      if (m_visit.station) m_visit.station(pipeStation(fields, field));
      return;
    }
    if (type != "3") return;
    const std::size_t want = header ? m_headerFields : kFieldCount;
    if (fields.size() != want) {
      throw Error(ErrorKind::Conversion,
                  std::string(m_label) + ", line " + std::to_string(lineNo) +
                      ", record length: " + std::to_string(fields.size()) + " fields; " +
                      (header ? "the header has " : "the layout has ") + std::to_string(want));
    }
    RecordText r{m_label, lineNo, nullptr, header ? &m_index : nullptr, {}};
    for (int f = 0; f < kFieldCount; ++f) {
      const int at = header ? m_index[static_cast<std::size_t>(f)] : f;
      if (at >= 0) {
        r.text[static_cast<std::size_t>(f)] = fields[static_cast<std::size_t>(at)];
      } else if (f == kStation || f == kDir || f == kYear || f == kMonth || f == kDay ||
                 (f >= kFirstHour && f < kRestriction)) {
        throw Error(ErrorKind::Conversion,
                    std::string(m_label) + ", line " + std::to_string(m_headerLine) +
                        ", header: it has no column " + pipeNames()[static_cast<std::size_t>(f)]);
      }
    }
    m_visit.volume(parseVolume(r));
  }

  template <typename FieldOf>
  TmgStationRecord pipeStation(const std::vector<std::string_view>& fields,
                               const FieldOf& field) const {
    static_cast<void>(fields);
    TmgStationRecord s;
    s.state = std::string(field(m_index[kState]));
    s.station = std::string(field(m_index[kStation]));
    const std::string_view dir = field(m_index[kDir]);
    const std::string_view lane = field(m_index[kLane]);
    s.direction = allDigits(dir) ? toInt(dir) : 0;
    s.lane = allDigits(lane) ? toInt(lane) : 0;
    s.fclass = std::string(field(m_index[kFClass]));
    s.latitude = decimalDegrees(field(m_latitude));
    s.longitude = decimalDegrees(field(m_longitude));
    if (s.latitude && (*s.latitude < -90 || *s.latitude > 90)) s.latitude.reset();
    s.location = std::string(field(m_location));
    return s;
  }

  std::string_view m_label;
  const TmgVisitors& m_visit;
  bool m_started = false;
  bool m_pipe = false;
  std::vector<int> m_index;  // empty: a pipe file without a header
  std::size_t m_headerFields = 0;
  std::size_t m_headerLine = 0;
  int m_location = -1;
  int m_latitude = -1;
  int m_longitude = -1;
};

}  // namespace

bool looksLikeTmg(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(at, end - at);
    if (!trimBlanks(line).empty()) {
      return line.find('|') != std::string_view::npos || line[0] == 'S' || line.size() >= 141;
    }
    at = end + 1;
  }
  return false;
}

namespace {

// Whether text holds the first line that is not blank whole, line end included: then what
// follows cannot change what looksLikeTmg answers.
bool holdsFirstLine(std::string_view text) {
  std::size_t at = 0;
  for (;;) {
    const std::size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) return false;
    if (!trimBlanks(text.substr(at, end - at)).empty()) return true;
    at = end + 1;
  }
}

}  // namespace

bool isTmgFile(const std::string& path) {
  try {
    const int fd = openRegularFile(path);
    // The first line decides, so reading stops once it is whole: a count file's is 73 bytes.
    constexpr std::size_t kHead = 64 * 1024;
    constexpr std::size_t kStep = 4096;
    std::string head;
    std::size_t held = 0;
    while (held < kHead) {
      head.resize(std::min(kHead, held + kStep));
      const ssize_t n = ::read(fd, head.data() + held, head.size() - held);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      held += static_cast<std::size_t>(n);
      if (holdsFirstLine(std::string_view(head.data(), held))) break;
    }
    ::close(fd);
    head.resize(held);
    return looksLikeTmg(head);
  } catch (const Error&) {
    return false;
  }
}

void parseTmgText(std::string_view text, std::string_view fileLabel, const TmgVisitors& visit) {
  TmgLineParser parser(fileLabel, visit);
  forEachLine(text, fileLabel, [&](std::string_view line, std::size_t n) { parser(line, n); });
}

void readTmgFile(const std::string& path, std::string_view fileLabel, const TmgVisitors& visit) {
  TmgLineParser parser(fileLabel, visit);
  readFileLines(path, fileLabel, [&](std::string_view line, std::size_t n) { parser(line, n); });
}

std::string tmgStationName(std::string_view id, int direction, std::optional<int> lane) {
  std::string name = std::string(id) + "-" + std::to_string(direction);
  if (lane) name += "-" + std::to_string(*lane);
  return name;
}
}  // namespace ostrilo
