#pragma once

#include <array>
#include <cstdint>
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

// The most pieces a count file may split into (blank lines and the piece after the final line
// break included).
inline constexpr std::size_t kMaxCountFilePieces = 32767;

// Reads a whole file as bytes. Failures are thrown with the system's errno and text.
[[nodiscard]] std::string readWholeFile(const std::string& path);

// Splits at LF and drops one CR before each LF, so CR LF, LF and mixed files all give the same
// lines. The piece after the final line break is included (empty for a file that ends in one).
[[nodiscard]] std::vector<std::string_view> splitLines(std::string_view text);

// Parses the half-day lines of a count file's text, skipping blank lines (empty or spaces
// only). fileLabel names the file in error descriptions, which also give the 1-based line, the
// columns or field, and the offending text. Conversion and overflow errors are thrown; the
// result's names point into text.
[[nodiscard]] std::vector<CountLine> parseCountFile(std::string_view text,
                                                    std::string_view fileLabel);

// Parses one volume field: optional blanks around an optional sign, digits and an optional
// decimal fraction, rounded to the nearest integer with halves to even. Empty on anything else;
// the result may lie outside 16 bits.
[[nodiscard]] std::optional<long long> parseVolumeField(std::string_view field);

}  // namespace ostrilo
