#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/table/DateNumber.h"

namespace ostrilo {

// One half-day line of a count file: a station's volumes for 12 hours of one date.
struct CountLine {
  DateNumber date = 0;
  std::string_view name;  // columns 10-13, bytes as in the file; points into the file's text
  bool firstHalf = true;  // column 2 holds 1: hours 0-11; any other digit: hours 12-23
  std::array<std::int16_t, 12> volumes{};
};

// The longest line a count file may hold, line end excluded. A half-day line has 73 columns;
// the bound keeps a file without line ends from growing the reading buffer without end.
inline constexpr std::size_t kMaxLineBytes = 64 * 1024;

using CountLineVisitor = std::function<void(const CountLine&)>;

// Opens a file for reading and refuses, before reading a byte, anything but a regular file (a
// folder, a device, a FIFO). Answers the descriptor, which the caller closes. Failures are
// thrown with the system's errno and text.
[[nodiscard]] int openRegularFile(const std::string& path);

// Reads a whole regular file as bytes.
[[nodiscard]] std::string readWholeFile(const std::string& path);

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

// Every line of a text or a file, blank ones included, with its 1-based number; lines end as
// count-file lines do and are bounded by kMaxLineBytes likewise. The line lives only during the
// call. For the other line-based inputs.
using LineVisitor = std::function<void(std::string_view line, std::size_t lineNo)>;
void forEachLine(std::string_view text, std::string_view fileLabel, const LineVisitor& visit);
void readFileLines(const std::string& path, std::string_view fileLabel, const LineVisitor& visit);

// All lines of a count file's text at once; the result's names point into text.
[[nodiscard]] std::vector<CountLine> parseCountFile(std::string_view text,
                                                    std::string_view fileLabel);

// Parses one volume field: optional blanks around an optional sign, digits and an optional
// decimal fraction, rounded to the nearest integer with halves to even. Empty on anything else;
// the result may lie outside 16 bits.
[[nodiscard]] std::optional<long long> parseVolumeField(std::string_view field);

}  // namespace ostrilo
