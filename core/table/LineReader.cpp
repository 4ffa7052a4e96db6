#include "core/table/LineReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/table/Error.h"
#include "core/table/LineFeeder.h"

namespace ostrilo {

using detail::FileDescriptor;
using detail::LineFeeder;
using detail::readLines;

int openRegularFile(const std::string& path) {
  // Without O_NONBLOCK, opening a FIFO would wait for a writer before the check below.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw systemError(errno, "Cannot open", path);
  FileDescriptor owner(fd);
  struct stat st {};
  if (::fstat(fd, &st) != 0) throw systemError(errno, "Cannot read", path);
  if (S_ISDIR(st.st_mode)) throw systemError(EISDIR, "Cannot read", path);
  if (!S_ISREG(st.st_mode)) {
    throw Error(ErrorKind::Io, "Cannot read \"" + path +
                                   "\": it is a device, a FIFO or a socket, not a regular file");
  }
  if (::fcntl(fd, F_SETFL, 0) != 0) throw systemError(errno, "Cannot read", path);
  return owner.release();
}

std::string readWholeFile(const std::string& path) {
  const FileDescriptor fd(openRegularFile(path));
  struct stat st {};
  std::string text;
  if (::fstat(fd.get(), &st) == 0 && st.st_size > 0) {
    text.reserve(static_cast<std::size_t>(st.st_size));
  }
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      throw systemError(errno, "Cannot read", path);
    }
    text.append(buffer, static_cast<std::size_t>(n));
  }
  return text;
}

void forEachLine(std::string_view text, std::string_view fileLabel, const LineVisitor& visit) {
  LineFeeder<LineVisitor>(fileLabel, visit).feed(text, true);
}

void readFileLines(const std::string& path, std::string_view fileLabel, const LineVisitor& visit) {
  readLines(path, fileLabel, visit);
}

}  // namespace ostrilo
