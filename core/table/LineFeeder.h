#pragma once

// Cutting a file into lines as it is read, for the line-based readers of core/table; only their
// .cpp files include this. The templates let each reader's line handler be inlined into the
// loop that finds the line ends.

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "core/table/Error.h"
#include "core/table/LineReader.h"

namespace ostrilo::detail {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : m_fd(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (m_fd >= 0) ::close(m_fd);
  }
  [[nodiscard]] int get() const noexcept { return m_fd; }
  int release() noexcept { return std::exchange(m_fd, -1); }

 private:
  int m_fd;
};

// "file, line n, ": how messages about a line start.
inline std::string where(std::string_view fileLabel, std::size_t lineNo) {
  return std::string(fileLabel) + ", line " + std::to_string(lineNo) + ", ";
}

// Cuts text into lines as it arrives and hands each, with its 1-based number, to onLine at once.
template <typename OnLine>
class LineFeeder {
 public:
  LineFeeder(std::string_view fileLabel, const OnLine& onLine)
      : m_label(fileLabel), m_onLine(onLine) {}

  // Parses the complete lines at the front of data and answers the bytes they took. With
  // atEnd, data ends the file, so its rest is the last line.
  std::size_t feed(std::string_view data, bool atEnd) {
    const char* p = data.data();
    const char* const end = p + data.size();
    // The next LF is remembered: a file of lone CRs would otherwise search to the end of the
    // data for every line.
    const char* lf = nullptr;
    while (p != end) {
      if (lf == nullptr || (lf != end && lf < p)) {
        const void* found = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        lf = found == nullptr ? end : static_cast<const char*>(found);
      }
      const auto* cr =
          static_cast<const char*>(std::memchr(p, '\r', static_cast<std::size_t>(lf - p)));
      const char* lineEnd = nullptr;
      const char* next = nullptr;
      if (cr != nullptr) {
        // A CR at the end of the data may be the first half of a CR LF.
        if (cr + 1 == end && !atEnd) break;
        lineEnd = cr;
        next = cr + 1 != end && cr[1] == '\n' ? cr + 2 : cr + 1;
      } else if (lf != end) {
        lineEnd = lf;
        next = lf + 1;
      } else {
        if (!atEnd) break;
        lineEnd = end;
        next = end;
      }
      line(std::string_view(p, static_cast<std::size_t>(lineEnd - p)));
      p = next;
    }
    return static_cast<std::size_t>(p - data.data());
  }

  [[noreturn]] void tooLong() const {
    throw Error(ErrorKind::Overflow, where(m_label, m_lineNo + 1) + "the line is longer than " +
                                         std::to_string(kMaxLineBytes) + " bytes");
  }

 private:
  void line(std::string_view text) {
    if (text.size() > kMaxLineBytes) tooLong();
    ++m_lineNo;
    m_onLine(text, m_lineNo);
  }

  std::string_view m_label;
  const OnLine& m_onLine;
  std::size_t m_lineNo = 0;
};

template <typename OnLine>
void readLines(const std::string& path, std::string_view fileLabel, const OnLine& onLine) {
  const FileDescriptor fd(openRegularFile(path));
  LineFeeder<OnLine> feeder(fileLabel, onLine);
  // Several longest lines fit, so a line never waits for room.
  constexpr std::size_t kBlock = 4 * kMaxLineBytes;
  const auto buffer = std::make_unique_for_overwrite<char[]>(kBlock);
  std::size_t held = 0;
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer.get() + held, kBlock - held);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw systemError(errno, "Cannot read", path);
    }
    held += static_cast<std::size_t>(n);
    const std::size_t used = feeder.feed(std::string_view(buffer.get(), held), n == 0);
    if (n == 0) return;
    std::memmove(buffer.get(), buffer.get() + used, held - used);
    held -= used;
    // What is held is one unfinished line, perhaps with the CR of its line end.
    if (held - (held > 0 && buffer[held - 1] == '\r' ? 1 : 0) > kMaxLineBytes) feeder.tooLong();
  }
}

}  // namespace ostrilo::detail
