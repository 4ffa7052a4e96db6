#pragma once

#include <optional>
#include <string_view>

namespace ostrilo {

struct StationEntry;

// A point in WGS84 degrees.
struct Coordinates {
  double latitude = 0;   // north, -90 to 90
  double longitude = 0;  // east, -180 to 180
};

// "WGS84 52.433868 13.192578" anywhere in a text (the tag in any case, latitude first, blanks
// between); nothing when the text holds no such pair or it lies out of range.
[[nodiscard]] std::optional<Coordinates> wgs84InText(std::string_view text);

// A station's point: its latitude and longitude columns when it has both, else WGS84
// coordinates in its location text.
[[nodiscard]] std::optional<Coordinates> stationCoordinates(const StationEntry& entry);

}  // namespace ostrilo
