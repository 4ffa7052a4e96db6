// libFuzzer target: any bytes as a station register. A register that parses agrees, field for
// field, with a plain reading of its CSV written here in the simplest way; reading it from a
// file gives the same register or fails alike; every failure is an ostrilo::Error.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "core/register/StationRegister.h"

namespace {

using Records = std::vector<std::vector<std::string>>;

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  return out;
}

// RFC 4180 character by character, trusting the text to be well formed; records of empty
// fields only are dropped.
Records plainRecords(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  Records records;
  std::vector<std::string> record;
  std::string field;
  bool quoted = false;
  const auto endRecord = [&] {
    record.push_back(field);
    field.clear();
    bool blank = true;
    for (const std::string& f : record) blank = blank && trimmed(f).empty();
    if (!blank) records.push_back(record);
    record.clear();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      record.push_back(field);
      field.clear();
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      endRecord();
    } else {
      field += c;
    }
  }
  if (!field.empty() || !record.empty()) endRecord();
  return records;
}

void compare(const ostrilo::StationRegister& reg, std::string_view bytes) {
  using ostrilo::fuzz::check;
  const Records records = plainRecords(bytes);
  check(!records.empty(), "a register without a header");
  const std::vector<std::string>& header = records[0];
  check(records.size() - 1 == reg.entries().size(), "the records and entries differ in number");
  std::size_t station = 0;
  std::vector<std::size_t> extras;
  for (std::size_t k = 0; k < header.size(); ++k) {
    std::string key = lower(trimmed(header[k]));
    if (key == "lat") key = "latitude";  // the short names GIS tools write
    if (key == "lon") key = "longitude";
    if (key == "station") station = k;
    if (key != "station" && key != "name" && key != "location" && key != "direction" &&
        key != "lanes" && key != "latitude" && key != "longitude" && key != "group") {
      extras.push_back(k);
    }
  }
  check(extras.size() == reg.extraColumns().size(), "the extra columns differ");
  // The names: a name column, else a description, else the location.
  std::size_t named = header.size();
  for (const char* source : {"location", "description", "name"}) {
    for (std::size_t k = 0; k < header.size(); ++k) {
      if (lower(trimmed(header[k])) == source) {
        named = k;
        break;
      }
    }
  }
  for (std::size_t r = 1; r < records.size(); ++r) {
    const ostrilo::StationEntry& entry = reg.entries()[r - 1];
    check(records[r].size() == header.size(), "a record of another length was accepted");
    check(entry.station == records[r][station], "a station differs: " + entry.station);
    check(reg.find(entry.station) == &entry, "a station is not found");
    for (std::size_t extra = 0; extra < extras.size(); ++extra) {
      check(entry.extra[extra] == records[r][extras[extra]], "an extra field differs");
    }
    check(entry.name == (named < header.size() ? records[r][named] : std::string()),
          "a name differs: " + entry.name);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ostrilo::fuzz;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string path = writeScratch("fuzz.csv", bytes);
  bool parsed = false;
  try {
    const ostrilo::StationRegister reg = ostrilo::StationRegister::parse(bytes, path);
    parsed = true;
    compare(reg, bytes);
    const std::vector<std::string> stations{"B001", "0301", ""};
    static_cast<void>(ostrilo::registerSummary(reg, stations));
    const ostrilo::StationRegister loaded = ostrilo::StationRegister::load(path);
    check(loaded.entries().size() == reg.entries().size(), "the file reads another register");
  } catch (const ostrilo::Error&) {
    check(!parsed, "a register that parses fails to load from its file");
  }
  return 0;
}
