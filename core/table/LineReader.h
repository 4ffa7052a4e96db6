#pragma once

// Reading files whole or line by line; the count-file reader and the other line-based inputs
// build on it.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace ostrilo {

// The longest line a count file may hold, line end excluded. A half-day line has 73 columns;
// the bound keeps a file without line ends from growing the reading buffer without end.
inline constexpr std::size_t kMaxLineBytes = 64 * 1024;

// Opens a file for reading and refuses, before reading a byte, anything but a regular file (a
// folder, a device, a FIFO). Answers the descriptor, which the caller closes. Failures are
// thrown with the system's errno and text.
[[nodiscard]] int openRegularFile(const std::string& path);

// Reads a whole regular file as bytes.
[[nodiscard]] std::string readWholeFile(const std::string& path);

// Every line of a text or a file, blank ones included, with its 1-based number; lines end as
// count-file lines do and are bounded by kMaxLineBytes likewise. The line lives only during the
// call. For the other line-based inputs.
using LineVisitor = std::function<void(std::string_view line, std::size_t lineNo)>;
void forEachLine(std::string_view text, std::string_view fileLabel, const LineVisitor& visit);
void readFileLines(const std::string& path, std::string_view fileLabel, const LineVisitor& visit);

}  // namespace ostrilo
