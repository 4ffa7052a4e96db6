#include "core/export/GeoJson.h"

#include <cstdio>
#include <cstdlib>

#include "core/export/TableExports.h"
#include "core/export/Utf8Text.h"
#include "core/register/Coordinates.h"
#include "core/register/StationRegister.h"
#include "core/table/OutputFile.h"

namespace ostrilo {

namespace {

std::string jsonString(std::string_view raw) {
  const std::string text = toUtf8(raw, std::string::npos);
  std::string out = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// A figure's CSV text is a JSON number as it stands; anything else goes as a string.
std::string jsonValue(const ExportCell& cell, const ExportColumn& column) {
  const std::string text = cellText(cell, column);
  if (text.empty()) return "null";
  if (column.kind == ColumnKind::Text || column.kind == ColumnKind::Date) return jsonString(text);
  char* end = nullptr;
  std::strtod(text.c_str(), &end);
  const bool plain = text.find_first_not_of("-0123456789.") == std::string::npos;
  return end == text.c_str() + text.size() && plain && text.front() != '.' ? text
                                                                           : jsonString(text);
}

std::string degrees(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", v);
  return text;
}

}  // namespace

AnnualGeoJson annualGeoJson(const std::vector<StationYear>& rows, const StationRegister& stations) {
  const ExportTable table = annualExport(rows, nullptr).table;
  AnnualGeoJson out;
  out.text = "{\"type\":\"FeatureCollection\",\"features\":[";
  bool first = true;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const StationEntry* entry = stations.find(rows[r].station);
    const auto point = entry != nullptr ? stationCoordinates(*entry) : std::nullopt;
    if (!point) {
      if (out.withoutPoint.empty() || out.withoutPoint.back() != rows[r].station) {
        out.withoutPoint.push_back(rows[r].station);
      }
      continue;
    }
    out.text += first ? "\n" : ",\n";
    first = false;
    out.text += "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[" +
                degrees(point->longitude) + "," + degrees(point->latitude) + "]},\"properties\":{";
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
      out.text += (c == 0 ? "" : ",") + jsonString(table.columns[c].header) + ":" +
                  jsonValue(table.cell(r, c), table.columns[c]);
    }
    if (!entry->name.empty()) out.text += ",\"name\":" + jsonString(entry->name);
    out.text += "}}";
  }
  out.text += "\n]}\n";
  return out;
}

std::vector<std::string> writeAnnualGeoJson(const std::string& path,
                                            const std::vector<StationYear>& rows,
                                            const StationRegister& stations) {
  AnnualGeoJson json = annualGeoJson(rows, stations);
  writeOutputFile(path, json.text);
  return std::move(json.withoutPoint);
}

}  // namespace ostrilo
