#include "core/register/Coordinates.h"

#include <cctype>
#include <cstdlib>
#include <string>

#include "core/register/StationRegister.h"

namespace ostrilo {

namespace {

// A decimal number at the front of text, which is advanced past it.
std::optional<double> takeNumber(std::string_view& text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  const std::size_t digitsFrom = i;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) != 0) ++i;
  if (i < text.size() && text[i] == '.') ++i;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) != 0) ++i;
  if (i == digitsFrom || (i == digitsFrom + 1 && text[digitsFrom] == '.')) return std::nullopt;
  const std::string number(text.substr(0, i));
  text.remove_prefix(i);
  return std::strtod(number.c_str(), nullptr);
}

std::size_t skipBlanks(std::string_view text, std::size_t at) {
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  return at;
}

}  // namespace

std::optional<Coordinates> wgs84InText(std::string_view text) {
  for (std::size_t at = 0; at + 5 <= text.size(); ++at) {
    std::string tag(text.substr(at, 5));
    for (char& c : tag) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (tag != "WGS84") continue;
    std::string_view rest = text.substr(skipBlanks(text, at + 5));
    const auto lat = takeNumber(rest);
    const std::size_t gap = skipBlanks(rest, 0);
    if (!lat || gap == 0) continue;
    rest.remove_prefix(gap);
    const auto lon = takeNumber(rest);
    if (!lon || *lat < -90 || *lat > 90 || *lon < -180 || *lon > 180) continue;
    return Coordinates{*lat, *lon};
  }
  return std::nullopt;
}

std::optional<Coordinates> stationCoordinates(const StationEntry& entry) {
  if (entry.latitude && entry.longitude) return Coordinates{*entry.latitude, *entry.longitude};
  return wgs84InText(entry.location);
}

}  // namespace ostrilo
