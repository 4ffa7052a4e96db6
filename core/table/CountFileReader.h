#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/table/DateNumber.h"
#include "core/table/LineReader.h"

namespace ostrilo {

// One half-day line of a count file: a station's volumes for 12 hours of one date.
struct CountLine {
  DateNumber date = 0;
  std::string_view name;  // columns 10-13, bytes as in the file; points into the file's text
  bool firstHalf = true;  // column 2 holds 1: hours 0-11; any other digit: hours 12-23
  std::array<std::int16_t, 12> volumes{};
};

using CountLineVisitor = std::function<void(const CountLine&)>;

// Parses the half-day lines of a count file, calling visit for each in file order, and skips
// blank lines (empty or spaces only). A line ends at LF, CR LF or a lone CR. fileLabel names
// the file in error descriptions, which also give the 1-based line, the columns or field, and
// the offending text. Conversion and overflow errors are thrown at the first bad line; a line
// longer than kMaxLineBytes is an overflow error. The line handed to visit, and the name in
// it, live only during the call.
void parseCountText(std::string_view text, std::string_view fileLabel,
                    const CountLineVisitor& visit);
// The same for the file at path, read in blocks: memory stays small whatever the file's size.
void readCountFile(const std::string& path, std::string_view fileLabel,
                   const CountLineVisitor& visit);

// All lines of a count file's text at once; the result's names point into text.
[[nodiscard]] std::vector<CountLine> parseCountFile(std::string_view text,
                                                    std::string_view fileLabel);

// Parses one volume field: optional blanks around an optional sign, digits and an optional
// decimal fraction, rounded to the nearest integer with halves to even. Empty on anything else;
// the result may lie outside 16 bits.
[[nodiscard]] std::optional<long long> parseVolumeField(std::string_view field);

}  // namespace ostrilo
