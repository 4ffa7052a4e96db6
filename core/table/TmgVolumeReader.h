#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/table/ATRTable.h"
#include "core/table/DateNumber.h"

namespace ostrilo {

// The FHWA Traffic Monitoring Guide's hourly volume files ("3" records), in their three
// layouts: 143 columns (four-digit year), 141 columns (two-digit year: 00-69 are 20yy, 70-99
// 19yy) and pipe-delimited fields, with a header row (columns by name, hour_00 .. hour_23
// required) or without one (the fixed layout's fields in its order, 35 of them).

// One "3" record as the file states it.
struct TmgVolumeRecord {
  std::string state;    // FIPS code, two digits
  std::string fclass;   // functional class, as written (e.g. "1U" or "11")
  std::string station;  // station id, as written (six characters in the fixed layouts)
  int direction = 0;    // 0-9
  int lane = 0;         // 0: all lanes of the direction
  DateNumber date = 0;
  int statedWeekday = 0;  // 1 = Sunday .. 7 = Saturday; 0 where a pipe file leaves it out
  std::array<std::int32_t, kHoursPerDay> volumes{};  // 0 where not counted
  HourMask counted = 0;                              // a blank hour is not counted
  int restriction = 0;                               // 0-5
  std::size_t line = 0;
};

// A station description record ("S"), as far as the register uses it.
struct TmgStationRecord {
  std::string state;
  std::string station;
  int direction = 0;
  int lane = 0;
  std::string fclass;
  std::optional<double> latitude;
  std::optional<double> longitude;
  std::string location;
};

struct TmgVisitors {
  std::function<void(const TmgVolumeRecord&)> volume;
  std::function<void(const TmgStationRecord&)> station;  // may be empty
};

// True when text (a file's beginning is enough) holds TMG records rather than count-file lines:
// its first line that is not blank holds a '|', starts with 'S', or is 141 or more bytes long.
[[nodiscard]] bool looksLikeTmg(std::string_view text);
// The same for a file's first 64 KiB; false for a file that cannot be read (reading it later
// tells why).
[[nodiscard]] bool isTmgFile(const std::string& path);

// Parses every record in file order. Blank lines, records of other types and lines that are
// neither are skipped. A volume above 32,767, a date that does not exist, a line of the wrong
// length (or field count) and a non-digit where digits belong are thrown as Error naming
// fileLabel, the line, the columns (or field number and name) and the field.
void parseTmgText(std::string_view text, std::string_view fileLabel, const TmgVisitors& visit);
void readTmgFile(const std::string& path, std::string_view fileLabel, const TmgVisitors& visit);

// How a file's records become the table's stations.
struct TmgOptions {
  // Adds the lanes of a direction into one station "SSSSSS-D"; an hour is counted only when
  // every lane the file holds for that direction counted it.
  bool sumLanes = false;
};

// A day of one table station, ready to go into the table.
struct TmgTableDay {
  std::string name;  // "SSSSSS-D", or "SSSSSS-D-L" when the file holds single lanes
  DateNumber date = 0;
  HourlyVolumes volumes{};
  HourMask counted = 0;
  int restriction = 0;
  int statedWeekday = 0;  // as DayNote: 0 when it agrees with the date or is not stated
};

// The table station name of a record: id and direction, and the lane when withLane.
[[nodiscard]] std::string tmgStationName(std::string_view id, int direction,
                                         std::optional<int> lane);

// Reads a TMG file's volume records as table days, in file order (summed days in the order of
// their first lane). A summed hour above 32,767 is an overflow error naming the day and hour.
[[nodiscard]] std::vector<TmgTableDay> readTmgDays(const std::string& path,
                                                   std::string_view fileLabel,
                                                   const TmgOptions& options);

}  // namespace ostrilo
