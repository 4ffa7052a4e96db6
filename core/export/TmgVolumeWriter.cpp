#include "core/export/TmgVolumeWriter.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <numeric>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "core/analysis/TableAnalysis.h"
#include "core/checks/DataChecks.h"
#include "core/register/StationRegister.h"
#include "core/table/ATRTable.h"
#include "core/table/CountView.h"
#include "core/table/Error.h"
#include "core/table/OutputFile.h"

namespace ostrilo {

namespace {

// What the register gives one station for its records, ready for the layout.
struct TmgKey {
  std::string state;
  std::string fclass;
  std::string id;
  std::string direction;
  std::string lane;
};

std::string trim(std::string_view s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool allOf(std::string_view s, int (*is)(int)) {
  return std::all_of(s.begin(), s.end(),
                     [is](char c) { return is(static_cast<unsigned char>(c)) != 0; });
}

std::string leftFill(std::string s, std::size_t width, char fill) {
  return s.size() >= width ? s : std::string(width - s.size(), fill) + s;
}

// A register column beyond the known ones, by its header without regard to case.
std::string extraCell(const StationRegister& reg, const StationEntry& entry,
                      std::string_view column) {
  const auto& names = reg.extraColumns();
  for (std::size_t k = 0; k < names.size() && k < entry.extra.size(); ++k) {
    if (lower(trim(names[k])) == column) return trim(entry.extra[k]);
  }
  return {};
}

[[noreturn]] void refuse(ErrorKind kind, std::string_view station, const std::string& why) {
  throw Error(kind, "TMG export, station " + escapeName(station) + ": " + why);
}

std::string required(std::string value, std::string_view station, std::string_view column) {
  if (value.empty()) {
    refuse(ErrorKind::Usage, station,
           "the register gives no " + std::string(column) +
               " (a TMG record needs state, fclass, tmg_station and direction)");
  }
  return value;
}

TmgKey keyOf(const StationRegister& reg, std::string_view station, TmgFormat format) {
  const StationEntry* entry = reg.find(station);
  if (entry == nullptr) refuse(ErrorKind::Usage, station, "the register does not hold it");
  const bool fixed = format != TmgFormat::Pipe;
  TmgKey key{required(extraCell(reg, *entry, "state"), station, "state"),
             required(extraCell(reg, *entry, "fclass"), station, "fclass"),
             required(extraCell(reg, *entry, "tmg_station"), station, "tmg_station"),
             required(trim(entry->direction), station, "direction"),
             extraCell(reg, *entry, "lane")};
  if (key.lane.empty()) key.lane = "0";
  const auto check = [&](const std::string& value, bool ok, const char* what) {
    if (!ok)
      refuse(ErrorKind::Conversion, station,
             "the register's " + std::string(what) + " " + quoteForMessage(value) +
                 " does not fit a TMG record");
  };
  check(key.state, key.state.size() <= 2 && allOf(key.state, isdigit), "state");
  check(key.fclass, key.fclass.size() <= 2 && allOf(key.fclass, isalnum), "fclass");
  check(key.id, key.id.size() <= (fixed ? 6u : 20u) && allOf(key.id, isalnum), "tmg_station");
  check(key.direction, key.direction.size() == 1 && allOf(key.direction, isdigit), "direction");
  check(key.lane, key.lane.size() <= (fixed ? 1u : 2u) && allOf(key.lane, isdigit), "lane");
  key.state = leftFill(key.state, 2, '0');
  if (fixed) {
    key.fclass = leftFill(key.fclass, 2, '0');
    key.id = leftFill(key.id, 6, '0');
  }
  return key;
}

std::string twoDigits(int v) { return (v < 10 ? "0" : "") + std::to_string(v); }

std::string pipeHeader() {
  std::string h =
      "record_type|state_code|f_system|station_id|travel_dir|travel_lane|year_record|"
      "month_record|day_record|day_of_week";
  for (int i = 0; i < kHoursPerDay; ++i) h += "|hour_" + twoDigits(i);
  return h + "|restrictions\r\n";
}

void appendRecord(std::string& out, const TmgKey& key, TmgFormat format, DateNumber date,
                  const HourlyVolumes& volumes, HourMask counted, int restriction) {
  const CivilDate civil = civilFromDate(date);
  const bool pipe = format == TmgFormat::Pipe;
  const std::string sep = pipe ? "|" : "";
  const std::string year =
      format == TmgFormat::Tmg2001 ? twoDigits(civil.year % 100) : std::to_string(civil.year);
  out += "3" + sep + key.state + sep + key.fclass + sep + key.id + sep + key.direction + sep +
         key.lane + sep + year + sep + twoDigits(civil.month) + sep + twoDigits(civil.day) + sep +
         std::to_string(weekday(date));
  for (int h = 0; h < kHoursPerDay; ++h) {
    const bool isCounted = (counted >> h & 1u) != 0;
    const std::string v = isCounted ? std::to_string(volumes[static_cast<std::size_t>(h)]) : "";
    out += pipe ? "|" + v : isCounted ? leftFill(v, 5, '0') : std::string(5, ' ');
  }
  out += sep + std::to_string(restriction) + "\r\n";
}

void checkYear(int year, TmgFormat format, DateNumber date) {
  const bool fits =
      format == TmgFormat::Tmg2001 ? year >= 1970 && year <= 2069 : year >= 1000 && year <= 9999;
  if (!fits) {
    throw Error(ErrorKind::Overflow, "TMG export: the date " + isoDate(date) +
                                         " lies outside the years the layout can write");
  }
}

}  // namespace

std::optional<TmgFormat> parseTmgFormat(std::string_view text) {
  const std::string t = lower(std::string(text));
  if (t == "2013") return TmgFormat::Tmg2013;
  if (t == "2001") return TmgFormat::Tmg2001;
  if (t == "pipe") return TmgFormat::Pipe;
  return std::nullopt;
}

std::string tmgVolumeText(const ATRTable& table, const CheckResults& checks,
                          const StationRegister& stations, TmgFormat format) {
  if (!checksFit(checks, table)) {
    throw std::invalid_argument("tmgVolumeText: the checks are of another table");
  }
  const CountView view = CountView::of(table);
  std::vector<std::int32_t> byDate(static_cast<std::size_t>(table.DateCount()));
  std::iota(byDate.begin(), byDate.end(), 0);
  std::sort(byDate.begin(), byDate.end(), [&](std::int32_t a, std::int32_t b) {
    return table.DatebyIndex(a) < table.DatebyIndex(b);
  });
  std::string out = format == TmgFormat::Pipe ? pipeHeader() : "";
  std::map<std::tuple<std::string, std::string, std::string>, std::string> keyOwner;
  for (std::int32_t s = 0; s < table.StaCount(); ++s) {
    const std::string name = table.StaNamebyIndex(s);
    std::optional<TmgKey> key;
    for (const std::int32_t d : byDate) {
      const HourMask counted = view.countedHours(d, s);
      if (counted == 0) continue;
      const DateNumber date = table.DatebyIndex(d);
      if (!key) {
        key = keyOf(stations, name, format);
        const auto [at, fresh] =
            keyOwner.emplace(std::tuple(key->id, key->direction, key->lane), name);
        if (!fresh) {
          refuse(ErrorKind::Conversion, name,
                 "the register gives it the same tmg_station, direction and lane as station " +
                     escapeName(at->second));
        }
      }
      checkYear(civilFromDate(date).year, format, date);
      const DayNote* note = table.dayNotes().find(name, date);
      const int restriction = checks.hasCritical(d, s)                    ? 2
                              : note != nullptr && note->restriction != 2 ? note->restriction
                                                                          : 0;
      appendRecord(out, *key, format, date, table.VolArrByIndex(d, s), counted, restriction);
    }
  }
  return out;
}

void writeTmgVolumeFile(const std::string& path, const ATRTable& table, const CheckResults& checks,
                        const StationRegister& stations, TmgFormat format) {
  writeOutputFile(path, tmgVolumeText(table, checks, stations, format));
}

}  // namespace ostrilo
