#pragma once

// What the fuzz targets share: scratch files for the table's file-based commands, a full picture
// of a table, and the table's invariants. A broken invariant prints what broke and aborts, so
// libFuzzer keeps the input as a crash.

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/table/ATRTable.h"
#include "core/table/CountFileReader.h"
#include "core/table/Error.h"
#include "core/table/TmgVolumeReader.h"
#include "tests/support/TableSnapshot.h"

namespace ostrilo::fuzz {

[[noreturn]] inline void fail(const std::string& what) {
  std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
  std::abort();
}

inline void check(bool ok, const std::string& what) {
  if (!ok) fail(what);
}

// One folder per fuzzing process, in memory where the system offers it: the commands under test
// read and write real files, and the disk should not pay for millions of them.
inline const std::filesystem::path& scratchFolder() {
  static const std::filesystem::path folder = [] {
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                           ? "/dev/shm"
                                           : std::filesystem::temp_directory_path();
    std::string pattern = (base / "ostrilo-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) fail("cannot make a scratch folder");
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(scratchFolder(), ignored);
    });
    return std::filesystem::path(pattern);
  }();
  return folder;
}

inline std::string scratchFile(std::string_view name) { return (scratchFolder() / name).string(); }

inline std::string writeScratch(std::string_view name, std::string_view bytes) {
  const std::string path = scratchFile(name);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) fail("cannot write " + path);
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !ok) fail("cannot write " + path);
  return path;
}

inline std::string readScratch(const std::string& path) {
  std::string bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
    std::fclose(f);
  }
  return bytes;
}

// A filled table for the targets to add to or replace, holding stations and dates that the
// fuzzer's lines may meet again.
inline const ATRTable& heldTable() {
  static const ATRTable table = [] {
    ATRTable t;
    t.setInFile(writeScratch(
        "held.dat",
        "31010305 0101   65   42   26   33   54  130  387  821 1040  918  679  752\r\n"
        "32010305 0101  756  761  773 1004 1122 1200  973  627  392  352  245  123\r\n"
        "31010405 AAAA    1    2    3    4    5    6    7    8    9   10   11   12\n"));
    t.BuildTable();
    return t;
  }();
  return table;
}

using Picture = test::TableSnapshot;

// The picture of a table, apart from the count file it names.
inline Picture picture(const ATRTable& table) {
  Picture p = test::snapshot(table);
  p.inFile.clear();
  return p;
}

// What holds for every table, whatever filled it.
inline void checkInvariants(const ATRTable& table) {
  const std::int64_t pairs = std::int64_t{table.StaCount()} * table.DateCount();
  check(pairs <= kMaxPairs, "stations x dates passed the limit: " + std::to_string(pairs));
  check(table.lngLast() + 1 >= pairs, "fewer records than pairs");
  check(table.volumeArray().size() >= static_cast<std::size_t>(table.lngLast() + 1) * kHoursPerDay,
        "volume array shorter than its records");
  check(table.countedArray().size() * kHoursPerDay == table.volumeArray().size(),
        "not one mask per record");

  const std::vector<std::string>& names = table.ulstName().values();
  check(std::unordered_set<std::string>(names.begin(), names.end()).size() == names.size(),
        "a station name twice");
  const std::vector<DateNumber>& dates = table.ulstDate().values();
  check(std::unordered_set<DateNumber>(dates.begin(), dates.end()).size() == dates.size(),
        "a date twice");
  for (std::int32_t i = 0; i < table.StaCount(); ++i) {
    check(table.ulstName().Index(names[static_cast<std::size_t>(i)]) == i, "name index lost");
  }
  for (std::int32_t i = 0; i < table.DateCount(); ++i) {
    check(table.ulstDate().Index(dates[static_cast<std::size_t>(i)]) == i, "date index lost");
  }

  for (std::int32_t d = 0; d < table.DateCount(); ++d) {
    for (std::int32_t s = 0; s < table.StaCount(); ++s) {
      std::int32_t sum = 0;
      for (const std::int16_t v : table.VolArrByIndex(d, s)) sum += v;
      check(sum == table.DailyVolByIndex(d, s), "a daily total is not the sum of its hours");
      const HourMask counted = table.CountedHours(d, s);
      check((counted & ~kAllHours) == 0, "a mask marks an hour past 23");
      check(table.CompleteDailyVol(d, s) ==
                (counted == kAllHours ? std::optional(sum) : std::nullopt),
            "a complete day's total disagrees with its mask");
    }
  }
}

// A table saved must load back as the same table (apart from the spare record a built table
// keeps, which the loaded one holds but does not count).
inline void checkSavesAndLoadsBack(const ATRTable& table, const std::string& path) {
  table.SaveToFile(path);
  ATRTable loaded;
  loaded.LoadFromFile(path);
  checkInvariants(loaded);
  Picture saved = picture(table);
  Picture back = picture(loaded);
  saved.lngLast = back.lngLast = 0;
  check(saved == back, "a saved table loads back different");
}

// One half-day line as the plain reader below sees it.
struct PlainLine {
  DateNumber date = 0;
  std::string name;
  bool firstHalf = true;
  std::array<std::int16_t, 12> volumes{};
};

// A second, deliberately plain reader of count files, written from the format's description
// rather than from the reader under test: a line per LF, CR LF or lone CR; blank lines skipped;
// column 2 a digit (1: hours 0-11), columns 3-8 mmddyy (a blank may stand for a leading zero,
// years 30-99 are 19xx), columns 10-13 the name, twelve 5-column volumes from column 14 that
// round halves to even and fit 16 bits. Empty when any line is bad.
inline std::optional<std::vector<PlainLine>> plainRead(std::string_view text) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += text[i];
    }
  }
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  const auto pair = [&](const std::string& s, std::size_t at) -> int {
    if (!digit(s[at + 1]) || !(s[at] == ' ' || digit(s[at]))) return -1;
    return (s[at] == ' ' ? 0 : s[at] - '0') * 10 + (s[at + 1] - '0');
  };
  std::vector<PlainLine> out;
  for (const std::string& line : lines) {
    if (line.size() > kMaxLineBytes) return std::nullopt;
    if (line.find_first_not_of(' ') == std::string::npos) continue;
    if (line.size() < 8 || !digit(line[1])) return std::nullopt;
    PlainLine parsed;
    parsed.firstHalf = line[1] == '1';
    const int month = pair(line, 2);
    const int dayOfMonth = pair(line, 4);
    const int yy = pair(line, 6);
    if (month < 0 || dayOfMonth < 0 || yy < 0) return std::nullopt;
    const int year = yy < 30 ? 2000 + yy : 1900 + yy;
    if (!isValidCivilDate(year, month, dayOfMonth)) return std::nullopt;
    parsed.date = dateFromCivil(CivilDate{year, month, dayOfMonth});
    parsed.name = line.size() > 9 ? line.substr(9, 4) : "";
    for (std::size_t k = 0; k < 12; ++k) {
      const std::size_t first = 13 + 5 * k;
      if (line.size() <= first) return std::nullopt;
      std::string field = line.substr(first, 5);
      field.erase(0, field.find_first_not_of(' '));
      field.erase(field.find_last_not_of(' ') + 1);
      bool negative = false;
      if (!field.empty() && (field[0] == '-' || field[0] == '+')) {
        negative = field[0] == '-';
        field.erase(0, 1);
      }
      const std::size_t dot = field.find('.');
      const std::string whole = field.substr(0, dot);
      const std::string fraction = dot == std::string::npos ? "" : field.substr(dot + 1);
      if ((whole.empty() && fraction.empty()) || !std::all_of(whole.begin(), whole.end(), digit) ||
          !std::all_of(fraction.begin(), fraction.end(), digit)) {
        return std::nullopt;
      }
      long value = whole.empty() ? 0 : std::stol(whole);  // at most 5 digits
      const std::string rest = fraction.empty() ? "" : fraction.substr(1);
      if (!fraction.empty() &&
          (fraction[0] > '5' ||
           (fraction[0] == '5' &&
            (rest.find_first_not_of('0') != std::string::npos || value % 2 == 1)))) {
        ++value;
      }
      if (negative) value = -value;
      if (value < -32768 || value > 32767) return std::nullopt;
      parsed.volumes[k] = static_cast<std::int16_t>(value);
    }
    out.push_back(parsed);
  }
  return out;
}

// A plain model of what the table should hold: the lists in order of first appearance, the
// hours of every pair a line has covered and which of them were counted. Build and Add are
// checked against it.
struct Model {
  std::vector<std::string> names;
  std::vector<DateNumber> dates;
  // Keyed by the positions in dates and names.
  std::map<std::pair<std::size_t, std::size_t>, HourlyVolumes> hours;
  std::map<std::pair<std::size_t, std::size_t>, HourMask> counted;

  static Model of(const ATRTable& table) {
    Model m{table.ulstName().values(), table.ulstDate().values(), {}, {}};
    for (std::int32_t d = 0; d < table.DateCount(); ++d) {
      for (std::int32_t s = 0; s < table.StaCount(); ++s) {
        const std::pair key{static_cast<std::size_t>(d), static_cast<std::size_t>(s)};
        m.hours[key] = table.VolArrByIndex(d, s);
        m.counted[key] = table.CountedHours(d, s);
      }
    }
    return m;
  }

  void apply(const std::vector<PlainLine>& lines) {
    for (const PlainLine& line : lines) {
      const auto name = std::find(names.begin(), names.end(), line.name);
      const auto s = static_cast<std::size_t>(name - names.begin());
      if (name == names.end()) names.push_back(line.name);
      const auto date = std::find(dates.begin(), dates.end(), line.date);
      const auto d = static_cast<std::size_t>(date - dates.begin());
      if (date == dates.end()) dates.push_back(line.date);
      HourlyVolumes& pair = hours[{d, s}];
      std::copy(line.volumes.begin(), line.volumes.end(), pair.begin() + (line.firstHalf ? 0 : 12));
      counted[{d, s}] |= line.firstHalf ? 0x000FFFu : 0xFFF000u;
    }
  }

  [[nodiscard]] bool fits() const {
    return static_cast<std::int64_t>(names.size() * dates.size()) <= kMaxPairs;
  }

  void checkHeldBy(const ATRTable& table) const {
    check(table.ulstName().values() == names, "station list differs from the model");
    check(table.ulstDate().values() == dates, "date list differs from the model");
    for (std::int32_t d = 0; d < table.DateCount(); ++d) {
      for (std::int32_t s = 0; s < table.StaCount(); ++s) {
        const std::pair key{static_cast<std::size_t>(d), static_cast<std::size_t>(s)};
        const auto found = hours.find(key);
        const HourlyVolumes expected = found == hours.end() ? HourlyVolumes{} : found->second;
        check(table.VolArrByIndex(d, s) == expected, "a pair's hours differ from the model");
        const auto mask = counted.find(key);
        check(table.CountedHours(d, s) == (mask == counted.end() ? 0 : mask->second),
              "a pair's counted hours differ from the model");
      }
    }
  }
};

// Runs BuildTable or AddToTable on the count file at path and checks the outcome against the
// model and the parser: it fails exactly when the parser rejects the text or the table would
// grow too large, a failure changes nothing, and a success holds what the model holds.
inline bool fillAndCheck(ATRTable& table, const std::string& path, std::string_view text,
                         bool add) {
  if (looksLikeTmg(text)) {
    // A TMG file is read by a reader of its own (its target checks it); here only that a
    // failure changes nothing.
    const Picture before = picture(table);
    table.setInFile(path);
    try {
      add ? table.AddToTable() : table.BuildTable();
    } catch (const Error&) {
      check(picture(table) == before, "a failed fill changed the table");
      return false;
    }
    return true;
  }
  Model model = add ? Model::of(table) : Model{};
  const auto lines = plainRead(text);
  const bool parses = lines.has_value();
  if (parses) model.apply(*lines);
  const Picture before = picture(table);
  table.setInFile(path);
  try {
    if (add) {
      table.AddToTable();
    } else {
      table.BuildTable();
    }
  } catch (const Error& e) {
    check(!parses || (!model.fits() && e.kind() == ErrorKind::Overflow),
          std::string("a fill failed that should not have: ") + e.what());
    check(picture(table) == before, "a failed fill changed the table");
    check(std::string_view(e.what()).find(std::filesystem::path(path).filename().string()) !=
              std::string_view::npos,
          std::string("an error does not name its file: ") + e.what());
    return false;
  }
  check(parses && model.fits(), "a fill succeeded that should have failed");
  check(table.lngLast() == std::int32_t{table.StaCount()} * table.DateCount(),
        "a filled table lacks its spare record");
  checkInvariants(table);
  model.checkHeldBy(table);
  return true;
}

}  // namespace ostrilo::fuzz
