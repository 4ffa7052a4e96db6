#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/table/DateNumber.h"

namespace ostrilo::countgen {

enum class LineEnding { CrLf, Lf };

// What a synthetic count file covers. The file holds every hour of every day for every station.
struct CountFileRequest {
  CivilDate firstDate{2005, 1, 3};
  int days = 7;
  // Explicit station names, 4 bytes each, no line breaks, no name twice. When empty,
  // stationCount stations numbered from firstStation are used, named by four digits ("0101").
  std::vector<std::string> stations;
  int stationCount = 12;
  int firstStation = 101;
  std::uint32_t seed = 1;
  LineEnding lineEnding = LineEnding::CrLf;
};

enum class StationKind { Local, Arterial, Freeway };

// The character of a station, fixed by its name and the seed alone, so that the same station
// looks the same in every file generated with that seed (weeks generated one by one fit
// together).
struct StationProfile {
  StationKind kind = StationKind::Arterial;
  int peakVolume = 0;       // vehicles an hour at a full-strength weekday peak, before noise
  int morningPerMille = 0;  // strength of the morning peak, 1000 = full
  int eveningPerMille = 0;  // strength of the evening peak, 1000 = full
  int weekendPerMille = 0;  // scales the weekend hump (1000: 670 per mille of the peak at 13:00)
};

// The station names a request stands for, in file order. Throws std::invalid_argument for a bad
// request (see generateCountFile).
[[nodiscard]] std::vector<std::string> stationNames(const CountFileRequest& request);

[[nodiscard]] StationProfile stationProfile(std::string_view name, std::uint32_t seed);

// The 24 hourly volumes (hour 0 first) of one station on one day, each in 0..32767. Depends
// only on the name, the day and the seed: never on the other stations or days of a file.
[[nodiscard]] std::array<int, 24> dayVolumes(std::string_view name, const CivilDate& day,
                                             std::uint32_t seed);

// The text of a count file: lines ordered by station (in the request's order), then date, then
// half of the day (1 before 2), each ended by the request's line ending, also the last. The text
// is the same on every platform for the same request. Throws std::invalid_argument when a date
// lies outside 1930-2029 (two-digit years would read back as another century), when days is
// not 1..36600, or when there is no station, a name is not 4 bytes, a name is listed twice or a
// number lies outside 0000-9999.
[[nodiscard]] std::string generateCountFile(const CountFileRequest& request);

// The conventional name of a count file starting on firstDate: "ATR" yyyymmdd "w" week of the
// month ".dat", e.g. "ATR20050103w1.dat".
[[nodiscard]] std::string countFileName(const CivilDate& firstDate);

}  // namespace ostrilo::countgen
