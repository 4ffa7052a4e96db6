#pragma once

#include <string>
#include <vector>

#include "core/annual/AnnualFigures.h"

namespace ostrilo {

class StationRegister;

struct AnnualGeoJson {
  std::string text;                       // the FeatureCollection, UTF-8
  std::vector<std::string> withoutPoint;  // stations the register gives no coordinates
};

// The annual rows as a GeoJSON FeatureCollection (RFC 7946): a Point per row whose station the
// register places (latitude and longitude columns, or WGS84 in its location), at [longitude,
// latitude], with the columns of the annual CSV as properties (figures as numbers, n/a and empty
// as null) and the register's name where it has one. Bytes that are not UTF-8 in a name become
// U+FFFD.
[[nodiscard]] AnnualGeoJson annualGeoJson(const std::vector<StationYear>& rows,
                                          const StationRegister& stations);
// Writes the text through the output writer; answers the stations left without a point.
std::vector<std::string> writeAnnualGeoJson(const std::string& path,
                                            const std::vector<StationYear>& rows,
                                            const StationRegister& stations);

}  // namespace ostrilo
