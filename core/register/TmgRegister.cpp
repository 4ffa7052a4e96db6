#include "core/register/TmgRegister.h"

#include <cstdio>
#include <map>
#include <vector>

#include "core/table/Error.h"
#include "core/table/TmgVolumeReader.h"

namespace ostrilo {

namespace {

struct Row {
  std::string state, fclass, id, direction, lane;
  std::optional<double> latitude, longitude;
  std::string location;
};

std::string quoted(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (const char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string degrees(const std::optional<double>& v) {
  if (!v) return {};
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", *v);
  return text;
}

std::string fileLabel(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return escapeName(slash == std::string::npos ? path : path.substr(slash + 1));
}

}  // namespace

std::string tmgRegisterCsv(std::span<const std::string> paths, bool sumLanes) {
  std::vector<std::string> order;
  std::map<std::string, Row> rows;
  std::map<std::pair<std::string, int>, TmgStationRecord> places;
  for (const std::string& path : paths) {
    if (!isTmgFile(path)) continue;
    std::vector<TmgVolumeRecord> records;
    bool singleLanes = false;
    readTmgFile(
        path, fileLabel(path),
        {[&](const TmgVolumeRecord& r) {
           singleLanes = singleLanes || r.lane != 0;
           records.push_back(r);
         },
         [&](const TmgStationRecord& s) { places.emplace(std::pair(s.station, s.direction), s); }});
    for (const TmgVolumeRecord& r : records) {
      const bool laned = singleLanes && !sumLanes;
      const std::string name =
          tmgStationName(r.station, r.direction, laned ? std::optional(r.lane) : std::nullopt);
      if (rows.contains(name)) continue;
      order.push_back(name);
      rows[name] = {r.state,
                    r.fclass,
                    r.station,
                    std::to_string(r.direction),
                    laned ? std::to_string(r.lane) : "",
                    {},
                    {},
                    {}};
    }
  }
  for (const auto& [key, s] : places) {
    bool named = false;
    for (auto& [name, row] : rows) {
      if (row.id != s.station || row.direction != std::to_string(s.direction)) continue;
      named = true;
      row.latitude = s.latitude;
      row.longitude = s.longitude;
      row.location = s.location;
    }
    if (named) continue;
    const std::string name = tmgStationName(s.station, s.direction, std::nullopt);
    order.push_back(name);
    rows[name] = {s.state, s.fclass,   s.station,   std::to_string(s.direction),
                  "",      s.latitude, s.longitude, s.location};
  }
  std::string csv = "station,state,fclass,tmg_station,direction,lane,latitude,longitude,location\n";
  for (const std::string& name : order) {
    const Row& r = rows[name];
    csv += quoted(name) + "," + r.state + "," + quoted(r.fclass) + "," + r.id + "," + r.direction +
           "," + r.lane + "," + degrees(r.latitude) + "," + degrees(r.longitude) + "," +
           quoted(r.location) + "\n";
  }
  return csv;
}

StationRegister registerFromTmgFiles(std::span<const std::string> paths, bool sumLanes) {
  return StationRegister::parse(tmgRegisterCsv(paths, sumLanes), "TMG station records");
}

}  // namespace ostrilo
