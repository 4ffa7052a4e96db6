// libFuzzer target: any bytes as a TMG volume file. The reader either refuses them with an
// ostrilo::Error or reads exactly what a deliberately plain second reader of the fixed layouts
// reads (pipe files are only read, for crashes); either way Build with and without summed
// lanes keeps the table's invariants.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "core/commands/Commands.h"
#include "core/table/TmgVolumeReader.h"

namespace {

using ostrilo::TmgVolumeRecord;

bool digit(char c) { return c >= '0' && c <= '9'; }

bool digitsOnly(std::string_view s) {
  if (s.empty()) return false;
  for (const char c : s) {
    if (!digit(c)) return false;
  }
  return true;
}

int number(std::string_view s) {
  int v = 0;
  for (const char c : s) v = v * 10 + (c - '0');
  return v;
}

int daysIn(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = year % 400 == 0 || (year % 4 == 0 && year % 100 != 0);
  return month == 2 && leap ? 29 : days[month - 1];
}

// One fixed record read field by field; nothing when it must be refused.
std::optional<TmgVolumeRecord> tmgPlainRecord(std::string_view line) {
  const bool four = line.size() == 143;
  const std::size_t y = 13;
  const std::size_t m = four ? 17 : 15;
  TmgVolumeRecord r;
  const std::string_view state = line.substr(1, 2);
  if (!digitsOnly(state)) return std::nullopt;
  r.state = std::string(state);
  std::string id(line.substr(5, 6));
  while (!id.empty() && (id.front() == ' ' || id.front() == '\t')) id.erase(0, 1);
  while (!id.empty() && (id.back() == ' ' || id.back() == '\t')) id.pop_back();
  if (id.empty()) return std::nullopt;
  for (const char c : id) {
    if (!digit(c) && !(c >= 'A' && c <= 'Z') && !(c >= 'a' && c <= 'z')) return std::nullopt;
  }
  r.station = id;
  if (!digit(line[11]) || !digit(line[12])) return std::nullopt;
  r.direction = line[11] - '0';
  r.lane = line[12] - '0';
  const std::string_view yy = line.substr(y, four ? 4 : 2);
  const std::string_view mm = line.substr(m, 2);
  const std::string_view dd = line.substr(m + 2, 2);
  if (!digitsOnly(yy) || !digitsOnly(mm) || !digitsOnly(dd)) return std::nullopt;
  int year = number(yy);
  if (!four) year += year < 70 ? 2000 : 1900;
  const int month = number(mm);
  const int day = number(dd);
  if (year < 1000 || month < 1 || month > 12 || day < 1 || day > daysIn(year, month)) {
    return std::nullopt;
  }
  r.date = ostrilo::dateFromCivil({year, month, day});
  const char dow = line[m + 4];
  if (dow < '1' || dow > '7') return std::nullopt;
  r.statedWeekday = dow - '0';
  for (std::size_t h = 0; h < 24; ++h) {
    std::string_view field = line.substr(m + 5 + 5 * h, 5);
    while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
    if (field.empty()) continue;
    if (!digitsOnly(field) || number(field) > 32767) return std::nullopt;
    r.volumes[h] = number(field);
    r.counted |= 1u << h;
  }
  const char restriction = line.back();
  if (restriction != ' ' && restriction != '\t') {
    if (restriction < '0' || restriction > '5') return std::nullopt;
    r.restriction = restriction - '0';
  }
  return r;
}

std::vector<std::string_view> tmgLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != '\n' && text[i] != '\r') continue;
    lines.push_back(text.substr(start, i - start));
    if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (!lines.empty() && lines.back().empty() && !text.empty() &&
      (text.back() == '\n' || text.back() == '\r')) {
    lines.pop_back();
  }
  return lines;
}

bool blank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

// The plain reading of a fixed-layout file: the records, or nothing when one must be refused.
std::optional<std::vector<TmgVolumeRecord>> tmgPlainRead(std::string_view text) {
  std::vector<TmgVolumeRecord> records;
  std::size_t n = 0;
  for (const std::string_view line : tmgLines(text)) {
    ++n;
    if (line.size() > ostrilo::kMaxLineBytes) return std::nullopt;
    if (blank(line) || line[0] != '3') continue;
    if (line.size() != 141 && line.size() != 143) return std::nullopt;
    auto r = tmgPlainRecord(line);
    if (!r) return std::nullopt;
    r->line = n;
    records.push_back(std::move(*r));
  }
  return records;
}

bool same(const TmgVolumeRecord& a, const TmgVolumeRecord& b) {
  return a.state == b.state && a.station == b.station && a.direction == b.direction &&
         a.lane == b.lane && a.date == b.date && a.statedWeekday == b.statedWeekday &&
         a.volumes == b.volumes && a.counted == b.counted && a.restriction == b.restriction &&
         a.line == b.line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ostrilo::fuzz;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<TmgVolumeRecord> read;
  bool refused = false;
  try {
    ostrilo::parseTmgText(text, "fuzz.vol",
                          {[&](const TmgVolumeRecord& r) { read.push_back(r); }, {}});
  } catch (const ostrilo::Error& e) {
    check(e.description().starts_with("fuzz.vol, line "),
          "error without its line: " + e.description());
    refused = true;
  }
  std::string_view first;
  for (const std::string_view line : tmgLines(text)) {
    if (!blank(line)) {
      first = line;
      break;
    }
  }
  if (first.find('|') == std::string_view::npos) {
    const auto plain = tmgPlainRead(text);
    check(refused == !plain.has_value(),
          refused ? "refused what the plain reader reads" : "read what the plain reader refuses");
    if (plain) {
      check(plain->size() == read.size(), "another number of records");
      for (std::size_t i = 0; i < read.size(); ++i) {
        check(same(read[i], (*plain)[i]), "record " + std::to_string(i) + " read otherwise");
      }
    }
  }
  if (!ostrilo::looksLikeTmg(text)) return 0;
  const std::vector<std::string> paths{writeScratch("fuzz.vol", text)};
  for (const bool sum : {false, true}) {
    ostrilo::ATRTable table = heldTable();
    try {
      (void)ostrilo::FillFromCountFiles(table, paths, ostrilo::FillMode::Add, {}, {sum});
    } catch (const ostrilo::Error&) {
      check(picture(table) == picture(heldTable()), "a refused file changed the table");
    }
    checkInvariants(table);
    if (sum) checkSavesAndLoadsBack(table, scratchFile("tmg.cont"));
  }
  return 0;
}
