#include "core/table/CsvField.h"

namespace ostrilo {

std::string csvField(std::string_view text) {
  // Station names come from files written by others; a name such as =HYPERLINK(...) must not
  // become a live formula in the spreadsheet that opens our file.
  const bool formula =
      !text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos;
  if (!formula && text.find_first_of(",\"\r\n") == std::string_view::npos) {
    return std::string(text);
  }
  std::string field = formula ? "\"'" : "\"";
  for (const char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  field += '"';
  return field;
}

}  // namespace ostrilo
