#include "core/register/StationRegister.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <unordered_set>

#include "core/export/Utf8Text.h"
#include "core/table/CountFileReader.h"
#include "core/table/Error.h"

namespace ostrilo {

namespace {

enum class Field { Station, Name, Location, Direction, Lanes, Latitude, Longitude, Group, Extra };

constexpr std::array<std::string_view, 8> kKnownColumns = {
    "station", "name", "location", "direction", "lanes", "latitude", "longitude", "group"};

std::string where(std::string_view fileLabel, std::size_t line) {
  return std::string(fileLabel) + ", line " + std::to_string(line) + ": ";
}

[[noreturn]] void fail(std::string_view fileLabel, std::size_t line, const std::string& why) {
  throw Error(ErrorKind::Conversion, where(fileLabel, line) + why);
}

std::string_view trimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string lowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

void requireUtf8(std::string_view text, std::string_view fileLabel) {
  const std::size_t bad = firstNonUtf8(text);
  if (bad == std::string_view::npos) return;
  const auto line = static_cast<std::size_t>(std::count(text.begin(), text.begin() + bad, '\n'));
  fail(fileLabel, line + 1,
       "the text is not UTF-8 (byte " + quoteForMessage(text.substr(bad, 1)) +
           "); save the register as UTF-8");
}

struct Record {
  std::size_t line = 0;  // where the record starts; a quoted line break continues it
  std::vector<std::string> fields;
};

// Splits RFC 4180 text into records. A record of empty fields only (a blank line, or the
// commas a spreadsheet writes for an empty row) is skipped.
class CsvRecords {
 public:
  CsvRecords(std::string_view text, std::string_view fileLabel)
      : m_text(text), m_label(fileLabel) {}

  bool next(Record& record) {
    for (;;) {
      if (m_at >= m_text.size()) return false;
      read(record);
      const bool blank = std::all_of(record.fields.begin(), record.fields.end(),
                                     [](const std::string& f) { return trimBlanks(f).empty(); });
      if (!blank) return true;
    }
  }

 private:
  void read(Record& record) {
    record.line = m_line;
    record.fields.clear();
    for (;;) {
      const std::size_t column = record.fields.size() + 1;
      record.fields.push_back(m_at < m_text.size() && m_text[m_at] == '"' ? quoted(record, column)
                                                                          : plain(column));
      if (m_at >= m_text.size()) return;
      const char c = m_text[m_at++];
      if (c == '\n') {
        ++m_line;
        return;
      }
      if (c == '\r') {  // CR LF or a lone CR, as spreadsheets on older Macs write
        if (m_at < m_text.size() && m_text[m_at] == '\n') ++m_at;
        ++m_line;
        return;
      }
    }
  }

  std::string quoted(const Record& record, std::size_t column) {
    std::string field;
    ++m_at;
    for (;;) {
      if (m_at >= m_text.size()) {
        fail(m_label, record.line,
             "field " + std::to_string(column) + ": the quote opened here is never closed");
      }
      const char c = m_text[m_at++];
      if (c == '"') {
        if (m_at < m_text.size() && m_text[m_at] == '"') {
          field += '"';
          ++m_at;
          continue;
        }
        break;
      }
      if (c == '\n' || (c == '\r' && (m_at >= m_text.size() || m_text[m_at] != '\n'))) ++m_line;
      field += c;
    }
    if (!atFieldEnd()) {
      fail(m_label, m_line,
           "field " + std::to_string(column) + ": text after the closing quote " +
               quoteForMessage(m_text.substr(m_at, 10)));
    }
    return field;
  }

  std::string plain(std::size_t column) {
    const std::size_t start = m_at;
    while (m_at < m_text.size() && m_text[m_at] != ',' && m_text[m_at] != '\n' &&
           m_text[m_at] != '\r') {
      if (m_text[m_at] == '"') {
        fail(m_label, m_line,
             "field " + std::to_string(column) +
                 ": a quote inside a field that does not start with one");
      }
      ++m_at;
    }
    return std::string(m_text.substr(start, m_at - start));
  }

  [[nodiscard]] bool atFieldEnd() const {
    if (m_at >= m_text.size()) return true;
    const char c = m_text[m_at];
    return c == ',' || c == '\n' || c == '\r';
  }

 public:
  // Where the next record starts: after next() answered a record, the end of that record.
  [[nodiscard]] std::size_t position() const noexcept { return m_at; }

 private:
  std::string_view m_text;
  std::string_view m_label;
  std::size_t m_at = 0;
  std::size_t m_line = 1;
};

std::optional<double> parseDegrees(std::string_view cell, std::string_view column, double limit,
                                   std::string_view fileLabel, std::size_t line) {
  const std::string_view text = trimBlanks(cell);
  if (text.empty()) return std::nullopt;
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
      std::abs(value) > limit) {
    fail(fileLabel, line,
         std::string(column) + " " + quoteForMessage(text) + " is not a number from " +
             std::to_string(static_cast<int>(-limit)) + " to " +
             std::to_string(static_cast<int>(limit)));
  }
  return value;
}

struct Header {
  std::vector<Field> fields;
  std::vector<std::string> extra;  // as written
  std::vector<std::string> known;  // lower case
  std::string nameFrom;
  std::size_t descriptionAt = 0;  // among extra, when the names come from it
};

// Registers as people keep them name their stations in a description or a location column.
void chooseNameColumn(Header& header) {
  const auto has = [&](std::string_view key) {
    return std::find(header.known.begin(), header.known.end(), key) != header.known.end();
  };
  if (has("name")) {
    header.nameFrom = "name";
    return;
  }
  for (std::size_t k = 0; k < header.extra.size(); ++k) {
    if (lowerAscii(trimBlanks(header.extra[k])) == "description") {
      header.nameFrom = "description";
      header.descriptionAt = k;
      return;
    }
  }
  if (has("location")) header.nameFrom = "location";
}

Header readHeader(const Record& record, std::string_view fileLabel) {
  Header header;
  for (const std::string& title : record.fields) {
    std::string key = lowerAscii(trimBlanks(title));
    if (key == "lat") key = "latitude";  // the short names GIS tools write
    if (key == "lon") key = "longitude";
    const auto known = std::find(kKnownColumns.begin(), kKnownColumns.end(), key);
    if (known == kKnownColumns.end()) {
      header.fields.push_back(Field::Extra);
      header.extra.push_back(title);
      continue;
    }
    if (std::find(header.known.begin(), header.known.end(), key) != header.known.end()) {
      fail(fileLabel, record.line, "the header names the column \"" + key + "\" twice");
    }
    header.fields.push_back(static_cast<Field>(known - kKnownColumns.begin()));
    header.known.push_back(key);
  }
  if (std::find(header.known.begin(), header.known.end(), "station") == header.known.end()) {
    fail(fileLabel, record.line, "the header has no \"station\" column");
  }
  chooseNameColumn(header);
  return header;
}

// Checks the header as soon as the first bytes hold it whole, so that a huge file that is no
// register is refused before it is read; false while the header may still go on.
bool checkHeaderIn(std::string_view text, std::string_view fileLabel) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  CsvRecords records(text, fileLabel);
  Record record;
  try {
    if (!records.next(record) || records.position() >= text.size()) return false;
  } catch (const Error&) {
    return false;  // cut inside a quote, perhaps; the whole text tells
  }
  static_cast<void>(readHeader(record, fileLabel));
  return true;
}

[[noreturn]] void refuseSize(const std::string& path) {
  throw Error(ErrorKind::Overflow, path + ": the register is larger than " +
                                       std::to_string(kMaxRegisterBytes >> 20) +
                                       " MiB, the most a register may hold");
}

std::string readRegisterText(const std::string& path) {
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } const file{openRegularFile(path)};
  const int fd = file.fd;
  struct stat st {};
  const bool sized = ::fstat(fd, &st) == 0;
  std::string text;
  std::vector<char> buffer(std::size_t{1} << 16);
  bool headerChecked = false;
  for (bool first = true;; first = false) {
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw systemError(errno, "Cannot read", path);
    if (n == 0) return text;
    text.append(buffer.data(), static_cast<std::size_t>(n));
    if (!headerChecked) headerChecked = checkHeaderIn(text, path);
    if (text.size() > kMaxRegisterBytes ||
        (first && sized && st.st_size > static_cast<off_t>(kMaxRegisterBytes))) {
      refuseSize(path);
    }
  }
}

// One line of the register as an entry, its name taken from where the header says.
StationEntry entryOf(Record& record, const Header& header, std::string_view fileLabel) {
  StationEntry entry;
  for (std::size_t k = 0; k < header.fields.size(); ++k) {
    std::string& cell = record.fields[k];
    switch (header.fields[k]) {
      case Field::Station:
        entry.station = std::move(cell);
        break;
      case Field::Name:
        entry.name = std::move(cell);
        break;
      case Field::Location:
        entry.location = std::move(cell);
        break;
      case Field::Direction:
        entry.direction = std::move(cell);
        break;
      case Field::Lanes:
        entry.lanes = std::move(cell);
        break;
      case Field::Group:
        entry.group = std::move(cell);
        break;
      case Field::Latitude:
        entry.latitude = parseDegrees(cell, "latitude", 90, fileLabel, record.line);
        break;
      case Field::Longitude:
        entry.longitude = parseDegrees(cell, "longitude", 180, fileLabel, record.line);
        break;
      case Field::Extra:
        entry.extra.push_back(std::move(cell));
        break;
    }
  }
  if (header.nameFrom == "location") entry.name = entry.location;
  if (header.nameFrom == "description") entry.name = entry.extra[header.descriptionAt];
  return entry;
}

}  // namespace

StationRegister StationRegister::parse(std::string_view text, std::string_view fileLabel) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  requireUtf8(text, fileLabel);

  CsvRecords records(text, fileLabel);
  Record headerRecord;
  if (!records.next(headerRecord)) fail(fileLabel, 1, "the register is empty");
  Header header = readHeader(headerRecord, fileLabel);
  const std::vector<Field>& fields = header.fields;
  StationRegister reg;
  reg.m_extra = std::move(header.extra);
  reg.m_known = std::move(header.known);
  reg.m_nameFrom = header.nameFrom;

  std::vector<std::size_t> lineOfEntry;
  Record record;
  while (records.next(record)) {
    if (record.fields.size() != fields.size()) {
      fail(fileLabel, record.line,
           "the line has " + std::to_string(record.fields.size()) + " fields, the header " +
               std::to_string(fields.size()));
    }
    StationEntry entry = entryOf(record, header, fileLabel);
    // The id stays byte for byte, as count files may pad it with blanks; a cell of blanks
    // only names no station.
    if (trimBlanks(entry.station).empty()) fail(fileLabel, record.line, "the station is empty");
    const auto [seen, added] = reg.m_index.emplace(entry.station, reg.m_entries.size());
    if (!added) {
      fail(fileLabel, record.line,
           "station " + quoteForMessage(entry.station) + " is already on line " +
               std::to_string(lineOfEntry[seen->second]));
    }
    lineOfEntry.push_back(record.line);
    reg.m_entries.push_back(std::move(entry));
  }
  return reg;
}

StationRegister StationRegister::load(const std::string& path) {
  return parse(readRegisterText(path), path);
}

std::string registerSummary(const StationRegister& names, std::span<const std::string> stations) {
  std::string text = "Register: " + std::to_string(names.entries().size()) +
                     (names.entries().size() == 1 ? " station" : " stations");
  text += names.nameColumn().empty() ? ", no names" : ", names from " + names.nameColumn();
  std::vector<std::string_view> lacking;
  std::unordered_set<std::string_view> seen;
  for (const std::string& station : stations) {
    if (names.find(station) == nullptr && seen.insert(station).second) lacking.push_back(station);
  }
  if (lacking.empty()) return text;
  constexpr std::size_t kListed = 20;
  text += "; " + std::to_string(lacking.size()) + " of the table's stations not in it: ";
  for (std::size_t i = 0; i < std::min(lacking.size(), kListed); ++i) {
    if (i > 0) text += ", ";
    text += lacking[i];
  }
  if (lacking.size() > kListed)
    text += " and " + std::to_string(lacking.size() - kListed) + " more";
  return text;
}

const StationEntry* StationRegister::find(std::string_view station) const {
  auto it = m_index.find(std::string(station));
  if (it == m_index.end() && std::any_of(station.begin(), station.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x80;
      })) {
    // Count files give ids as single bytes (Latin-1), a register is UTF-8: the same id is
    // written in two ways.
    it = m_index.find(latin1ToUtf8(station));
  }
  return it == m_index.end() ? nullptr : &m_entries[it->second];
}

std::string_view StationRegister::name(std::string_view station) const {
  const StationEntry* entry = find(station);
  return entry == nullptr ? std::string_view() : std::string_view(entry->name);
}

std::string StationRegister::displayText(std::string_view station) const {
  const std::string_view stationName = name(station);
  std::string text(station);
  if (!stationName.empty()) {
    text += "  ";
    text += stationName;
  }
  return text;
}

bool StationRegister::hasColumn(std::string_view known) const {
  return std::find(m_known.begin(), m_known.end(), known) != m_known.end();
}

}  // namespace ostrilo
