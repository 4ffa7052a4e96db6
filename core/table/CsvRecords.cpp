#include "core/table/CsvRecords.h"

#include <cerrno>
#include <fstream>
#include <sstream>

#include "core/table/Error.h"

namespace ostrilo {

namespace {

[[noreturn]] void fail(std::string_view label, std::size_t line, const std::string& why) {
  throw Error(ErrorKind::Conversion,
              std::string(label) + ", line " + std::to_string(line) + ": " + why);
}

bool blank(const CsvRecord& record) {
  for (const std::string& f : record.fields) {
    if (f.find_first_not_of(" \t") != std::string::npos) return false;
  }
  return true;
}

}  // namespace

std::vector<CsvRecord> readCsvRecords(std::string_view text, std::string_view fileLabel) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::vector<CsvRecord> records;
  std::size_t at = 0;
  std::size_t line = 1;
  while (at < text.size()) {
    CsvRecord record{line, {}};
    for (bool more = true; more;) {
      std::string field;
      if (at < text.size() && text[at] == '"') {
        const std::size_t opened = line;
        for (++at;; ++at) {
          if (at >= text.size()) fail(fileLabel, opened, "a quote is never closed");
          if (text[at] == '"') {
            if (at + 1 < text.size() && text[at + 1] == '"') {
              field += text[++at];
              continue;
            }
            ++at;
            break;
          }
          if (text[at] == '\n') ++line;
          field += text[at];
        }
      } else {
        while (at < text.size() && text[at] != ',' && text[at] != '\n' && text[at] != '\r') {
          if (text[at] == '"') fail(fileLabel, line, "a quote inside a field not quoted");
          field += text[at++];
        }
      }
      record.fields.push_back(std::move(field));
      if (at < text.size() && text[at] == '\r') ++at;
      if (at >= text.size() || text[at] == '\n') {
        ++at;
        ++line;
        more = false;
      } else if (text[at] == ',') {
        ++at;
      } else {
        fail(fileLabel, line, "text after a closing quote");
      }
    }
    if (!blank(record)) records.push_back(std::move(record));
  }
  return records;
}

std::string readTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw systemError(errno, "Cannot open", path);
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw systemError(errno, "Cannot read", path);
  return text.str();
}

}  // namespace ostrilo
