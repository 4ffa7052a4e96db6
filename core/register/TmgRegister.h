#pragma once

#include <span>
#include <string>

#include "core/register/StationRegister.h"

namespace ostrilo {

// The register that TMG files give their table stations: one row per station the volume
// records name (as the table names them with the same sumLanes), with the columns state,
// fclass, tmg_station, direction and lane (empty where lanes are summed or the file holds
// none), and latitude, longitude and location from the station records ("S") of the same
// direction where the files hold any. Stations that only a station record names get a row of
// their own. Files that are not TMG files add nothing. Read errors are thrown as the readers
// throw them.
[[nodiscard]] std::string tmgRegisterCsv(std::span<const std::string> paths, bool sumLanes);
[[nodiscard]] StationRegister registerFromTmgFiles(std::span<const std::string> paths,
                                                   bool sumLanes);

}  // namespace ostrilo
