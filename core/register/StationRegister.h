#pragma once

#include <optional>
#include <span>
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

  // A text by number: kNameText ... kGroupText, then kExtraText + k for extra[k].
  static constexpr std::size_t kNameText = 0, kLocationText = 1, kDirectionText = 2, kLanesText = 3,
                               kGroupText = 4, kExtraText = 5;
  [[nodiscard]] std::string_view text(std::size_t which) const {
    switch (which) {
      case kNameText:
        return name;
      case kLocationText:
        return location;
      case kDirectionText:
        return direction;
      case kLanesText:
        return lanes;
      case kGroupText:
        return group;
      default:
        return extra[which - kExtraText];
    }
  }
};

// The most bytes a register file may hold: tens of thousands of stations with long texts.
inline constexpr std::size_t kMaxRegisterBytes = std::size_t{64} << 20;

// The station register: names and descriptions of stations, read from a CSV file (RFC 4180
// quoting, UTF-8, LF, CR LF or lone CR lines, an optional byte order mark) whose header holds
// `station` and any of name, location, direction, lanes, latitude, longitude and group (matched
// without regard to case or surrounding blanks). Every other column is kept in file order.
// Blank lines are skipped. A register without a name column takes its names from a
// `description` column, else from its location.
class StationRegister {
 public:
  StationRegister() = default;  // the empty register: every station keeps its bare id

  // Throws Error (Conversion) naming fileLabel and the line for a header without `station`, a
  // header naming a column twice, text that is not UTF-8, a quote out of place or left open, a
  // line with more or fewer fields than the header, an empty or duplicate station, and a
  // latitude or longitude that is not a number in range.
  [[nodiscard]] static StationRegister parse(std::string_view text, std::string_view fileLabel);
  // Reads and parses a file, checking its header as soon as it is read; read failures are
  // thrown as the system reports them, a file over kMaxRegisterBytes as Overflow.
  [[nodiscard]] static StationRegister load(const std::string& path);

  // A table's id is its file's bytes: one the register lacks byte for byte is also looked up
  // with its bytes read as Latin-1 ("B\xE4R1" finds the register's UTF-8 "B\xC3\xA4R1").
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
  // The column the names come from ("name", "description" or "location"); empty for none.
  [[nodiscard]] const std::string& nameColumn() const noexcept { return m_nameFrom; }

 private:
  std::vector<StationEntry> m_entries;
  std::vector<std::string> m_extra;
  std::vector<std::string> m_known;
  std::string m_nameFrom;
  std::unordered_map<std::string, std::size_t> m_index;
};

// The line that confirms a register beside a table, e.g. "Register: 232 stations, names from
// location", with the table's stations it lacks listed once: "; 2 of the table's stations not
// in it: B998, B999" (the first 20, then how many more).
[[nodiscard]] std::string registerSummary(const StationRegister& names,
                                          std::span<const std::string> stations);

}  // namespace ostrilo
