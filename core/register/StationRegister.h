#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ostrilo {

// What a register says about one station. Texts are UTF-8 as in the file, empty when the
// register has no such column or leaves the cell empty.
struct StationEntry {
  std::string station;  // the name in the count files, byte for byte
  std::string name;
  std::string location;
  std::string direction;
  std::string lanes;
  std::string group;
  std::optional<double> latitude;   // degrees north, -90 to 90
  std::optional<double> longitude;  // degrees east, -180 to 180
  std::vector<std::string> extra;   // one per StationRegister::extraColumns(), in that order
};

// The station register: names and descriptions of stations, read from a CSV file (RFC 4180
// quoting, UTF-8, CR LF or LF lines, an optional byte order mark) whose header holds `station`
// and any of name, location, direction, lanes, latitude, longitude and group (matched without
// regard to case or surrounding blanks). Every other column is kept in file order. Blank lines
// are skipped.
class StationRegister {
 public:
  StationRegister() = default;  // the empty register: every station keeps its bare id

  // Throws Error (Conversion) naming fileLabel and the line for a header without `station`, a
  // header naming a column twice, text that is not UTF-8, a quote out of place or left open, a
  // line with more or fewer fields than the header, an empty or duplicate station, and a
  // latitude or longitude that is not a number in range.
  [[nodiscard]] static StationRegister parse(std::string_view text, std::string_view fileLabel);
  // Reads and parses a file; read failures are thrown as the system reports them.
  [[nodiscard]] static StationRegister load(const std::string& path);

  [[nodiscard]] const StationEntry* find(std::string_view station) const;
  // The station's name, empty when the register lacks the station or its name.
  [[nodiscard]] std::string_view name(std::string_view station) const;
  // "id  name" (two blanks) when the register names the station, else the bare id.
  [[nodiscard]] std::string displayText(std::string_view station) const;

  [[nodiscard]] const std::vector<StationEntry>& entries() const noexcept { return m_entries; }
  // The header of every column beyond the known ones, as written in the file.
  [[nodiscard]] const std::vector<std::string>& extraColumns() const noexcept { return m_extra; }
  // True when the header has the known column (lower case, e.g. "group").
  [[nodiscard]] bool hasColumn(std::string_view known) const;
  [[nodiscard]] bool empty() const noexcept { return m_entries.empty(); }

 private:
  std::vector<StationEntry> m_entries;
  std::vector<std::string> m_extra;
  std::vector<std::string> m_known;
  std::unordered_map<std::string, std::size_t> m_index;
};

}  // namespace ostrilo
