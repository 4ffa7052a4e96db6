#pragma once

#include <string>
#include <string_view>

namespace ostrilo {

// A text field for a CSV file the program writes. RFC 4180: quoted, with inner quotes doubled,
// when it holds a comma, a double quote, a CR or an LF; otherwise the bytes unchanged. Text that
// a spreadsheet would run as a formula (beginning with =, +, -, @, a tab or a CR) is quoted with
// a leading apostrophe, which spreadsheets show as text. Numbers the program computes are
// written as they are, not through here.
[[nodiscard]] std::string csvField(std::string_view text);

}  // namespace ostrilo
