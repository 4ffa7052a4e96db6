#include "core/table/OutputFile.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <stdlib.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "core/table/Error.h"

namespace ostrilo {

namespace {

using Pieces = std::span<const std::string_view>;

// The kernel gives up on a chain of links at this length too.
constexpr int kMaxLinkHops = 40;

class Fd {
 public:
  explicit Fd(int fd = -1) noexcept : m_fd(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (m_fd >= 0) ::close(m_fd);
  }
  [[nodiscard]] int get() const noexcept { return m_fd; }
  // Closes the descriptor; answers errno or 0, since a failed close can be a lost write.
  int close() noexcept {
    const int rc = ::close(m_fd);
    m_fd = -1;
    return rc == 0 ? 0 : errno;
  }

 private:
  int m_fd;
};

// A temporary file beside the target. It stays unnamed (O_TMPFILE) until just before the
// rename, so that a save killed while writing leaves nothing behind; where the file system or a
// missing /proc cannot give it a name later it is named from the start. The name says whose it
// is and stays short, so a target name near the file system's limit still has a temporary.
class TempFile {
 public:
  explicit TempFile(std::string folder) : m_folder(std::move(folder)) {
    // /proc/self/fd is closed to a process that switched its effective user.
    if (::faccessat(AT_FDCWD, "/proc/self/fd", X_OK, AT_EACCESS) == 0) {
      m_fd = ::open(m_folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
      if (m_fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return;
    }
    m_path = m_folder + "/" + std::string(kPrefix) + "XXXXXX";
    m_fd = ::mkostemp(m_path.data(), O_CLOEXEC);
    if (m_fd < 0) m_path.clear();
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_path.empty()) ::unlink(m_path.c_str());
  }
  [[nodiscard]] int fd() const noexcept { return m_fd; }
  // Answers errno or 0; after success the file belongs to the target's name.
  int renameOver(const std::string& target) {
    if (m_path.empty()) {
      if (const int err = giveName(); err != 0) return err;
    }
    // Named and renamed in the fewest steps: a kill between the two leaves the name behind.
    if (::rename(m_path.c_str(), target.c_str()) != 0) return errno;
    m_path.clear();
    const int rc = ::close(m_fd);
    m_fd = -1;
    return rc == 0 ? 0 : errno;
  }

 private:
  static constexpr std::string_view kPrefix = ".ostrilo-save-";

  int giveName() {
    const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
      unsigned char random[6];
      if (::getrandom(random, sizeof random, 0) != sizeof random) return errno;
      std::string name = m_folder + "/" + std::string(kPrefix);
      for (const unsigned char r : random) name += "0123456789abcdefghijklmnopqrstuv"[r % 32];
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        m_path = std::move(name);
        return 0;
      }
      if (errno != EEXIST) return errno;
    }
    return EEXIST;
  }

  std::string m_folder;
  std::string m_path;  // empty while unnamed
  int m_fd = -1;
};

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// What a path finally names once the links in its last component were followed.
struct Target {
  std::string path;
  bool exists = false;
  struct stat st {};
  // A link to an open descriptor (/proc/self/fd/1): written through, whatever it leads to.
  bool kernelLink = false;
};

// The kernel's protected_symlinks rule, applied here because a rename does not follow the link
// and so would get round the kernel's own check.
void checkMayFollow(const std::string& link, const struct stat& linkSt, const std::string& shown) {
  const std::string folder = folderOf(link);
  struct stat dir {};
  if (::stat(folder.c_str(), &dir) != 0) throw systemError(errno, "Cannot save", shown);
  const bool shared = (dir.st_mode & S_ISVTX) != 0 && (dir.st_mode & S_IWOTH) != 0;
  if (!shared || linkSt.st_uid == ::geteuid() || linkSt.st_uid == dir.st_uid) return;
  throw Error(ErrorKind::AccessDenied,
              "Cannot save \"" + escapeName(shown) + "\": it is a link in the shared folder \"" +
                  escapeName(folder) + "\" that belongs neither to you nor to the folder's owner",
              EACCES);
}

std::string readLink(const std::string& link, const std::string& shown) {
  std::string dest(256, '\0');
  for (;;) {
    const ssize_t n = ::readlink(link.c_str(), dest.data(), dest.size());
    if (n < 0) throw systemError(errno, "Cannot save", shown);
    if (static_cast<std::size_t>(n) < dest.size()) {
      dest.resize(static_cast<std::size_t>(n));
      return dest;
    }
    dest.resize(dest.size() * 2);
  }
}

Target resolve(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    Target target{current};
    if (::lstat(current.c_str(), &target.st) != 0) {
      if (errno == ENOENT) return target;
      throw systemError(errno, "Cannot save", path);
    }
    if (!S_ISLNK(target.st.st_mode)) {
      target.exists = true;
      return target;
    }
    checkMayFollow(current, target.st, path);
    // A link of /proc (/dev/stdout leads to /proc/self/fd/1) names an open descriptor, not a
    // file to replace; its text ("pipe:[...]", "/memfd:x (deleted)") may name nothing at all.
    struct statfs fs {};
    if (::statfs(folderOf(current).c_str(), &fs) == 0 && fs.f_type == PROC_SUPER_MAGIC) {
      if (::stat(current.c_str(), &target.st) != 0) throw systemError(errno, "Cannot save", path);
      target.exists = true;
      target.kernelLink = true;
      return target;
    }
    const std::string dest = readLink(current, path);
    current = dest.starts_with('/') ? dest : folderOf(current) + "/" + dest;
  }
  throw systemError(ELOOP, "Cannot save", path);
}

void writeAll(int fd, Pieces pieces, const std::string& shown) {
  for (const std::string_view bytes : pieces) {
    std::size_t written = 0;
    while (written < bytes.size()) {
      const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
      if (n < 0) {
        if (errno == EINTR) continue;
        throw systemError(errno, "Cannot write", shown);
      }
      written += static_cast<std::size_t>(n);
    }
  }
}

// Every piece from offset 0 in as few calls as the kernel allows (one, unless a write comes
// back short), so that an overwrite in place is open to a kill for the shortest time.
void writeAllAtStart(int fd, Pieces pieces, const std::string& shown) {
  std::vector<iovec> parts;
  for (const std::string_view bytes : pieces) {
    if (!bytes.empty()) parts.push_back({const_cast<char*>(bytes.data()), bytes.size()});
  }
  std::size_t first = 0;
  off_t offset = 0;
  while (first < parts.size()) {
    const int count = static_cast<int>(std::min<std::size_t>(parts.size() - first, IOV_MAX));
    const ssize_t n = ::pwritev(fd, parts.data() + first, count, offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw systemError(errno, "Cannot write", shown);
    }
    offset += n;
    for (auto left = static_cast<std::size_t>(n); left > 0;) {
      const std::size_t taken = std::min(left, parts[first].iov_len);
      parts[first].iov_base = static_cast<char*>(parts[first].iov_base) + taken;
      parts[first].iov_len -= taken;
      left -= taken;
      if (parts[first].iov_len == 0) ++first;
    }
  }
}

off_t sizeOf(Pieces pieces) {
  off_t size = 0;
  for (const std::string_view bytes : pieces) size += static_cast<off_t>(bytes.size());
  return size;
}

void flush(int fd, const std::string& shown) {
  if (::fsync(fd) != 0) throw systemError(errno, "Cannot write", shown);
}

// A rename is durable only once its folder is.
void flushFolder(const std::string& folder, const std::string& shown) {
  const Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // Some file systems cannot flush a folder; the file itself already is.
  if (dir.get() >= 0 && ::fsync(dir.get()) != 0 && errno != EINVAL) {
    throw systemError(errno, "Cannot write", shown);
  }
}

// A socket cannot be opened, only connected to; our own standard output or error, reached
// through /dev/stdout or /proc/self/fd, is written to as it is.
int openSocket(const Target& target) {
  for (const int own : {STDOUT_FILENO, STDERR_FILENO}) {
    struct stat st {};
    if (::fstat(own, &st) == 0 && st.st_dev == target.st.st_dev && st.st_ino == target.st.st_ino) {
      return ::fcntl(own, F_DUPFD_CLOEXEC, 0);
    }
  }
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (target.path.size() >= sizeof address.sun_path) {
    errno = ENAMETOOLONG;
    return -1;
  }
  std::memcpy(address.sun_path, target.path.data(), target.path.size());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    const int err = errno;
    ::close(fd);
    errno = err;
    return -1;
  }
  return fd;
}

void writeStraight(const Target& target, Pieces bytes, const std::string& shown) {
  const int flags = O_WRONLY | O_NOCTTY | O_CLOEXEC | (S_ISREG(target.st.st_mode) ? O_TRUNC : 0);
  Fd fd(S_ISSOCK(target.st.st_mode) ? openSocket(target) : ::open(target.path.c_str(), flags));
  if (fd.get() < 0) throw systemError(errno, "Cannot save", shown);
  writeAll(fd.get(), bytes, shown);
  if (const int err = fd.close(); err != 0) throw systemError(err, "Cannot write", shown);
}

void rewriteInPlace(int fd, Pieces bytes, const std::string& shown) {
  writeAllAtStart(fd, bytes, shown);
  if (::ftruncate(fd, sizeOf(bytes)) != 0) {
    throw systemError(errno, "Cannot write", shown);
  }
  flush(fd, shown);
}

// Gives the temporary file the old file's owner, group and mode; false where the process may
// not (the owner of a file can only be given away by root).
bool takeOver(int fd, const struct stat& old) {
  if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
      ::fchown(fd, old.st_uid, old.st_gid) != 0) {
    return false;
  }
  // After the chown, which clears the set-id bits.
  return ::fchmod(fd, old.st_mode & 07777) == 0;
}

bool refusedByFolder(int err) { return err == EACCES || err == EPERM; }

void replaceRegular(const Target& target, Pieces bytes, const std::string& shown) {
  // Whoever may not write the file may not replace it either.
  Fd file(::open(target.path.c_str(), O_WRONLY | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (file.get() < 0) throw systemError(errno, "Cannot save", shown);
  struct stat old {};
  if (::fstat(file.get(), &old) != 0) throw systemError(errno, "Cannot save", shown);

  const std::string folder = folderOf(target.path);
  std::optional<TempFile> temp(std::in_place, folder);
  if (temp->fd() < 0) {
    const int err = errno;
    if (!refusedByFolder(err)) throw systemError(err, "Cannot save", shown);
    // A writable file in a folder that is not: nowhere to write a copy first.
    rewriteInPlace(file.get(), bytes, shown);
  } else {
    writeAll(temp->fd(), bytes, shown);
    flush(temp->fd(), shown);
    if (old.st_nlink == 1 && takeOver(temp->fd(), old)) {
      const int err = temp->renameOver(target.path);
      if (err == 0) {
        flushFolder(folder, shown);
        return;
      }
      if (!refusedByFolder(err)) throw systemError(err, "Cannot save", shown);
    }
    // The copy proved the content can be written; it goes before the rewrite so that its space
    // is free again for the file itself.
    temp.reset();
    rewriteInPlace(file.get(), bytes, shown);
  }
  if (const int err = file.close(); err != 0) throw systemError(err, "Cannot write", shown);
}

void createNew(const Target& target, Pieces bytes, const std::string& shown) {
  const std::string folder = folderOf(target.path);
  TempFile temp(folder);
  if (temp.fd() < 0) throw systemError(errno, "Cannot save", shown);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(temp.fd(), 0666 & ~mask) != 0) throw systemError(errno, "Cannot save", shown);
  writeAll(temp.fd(), bytes, shown);
  flush(temp.fd(), shown);
  if (const int err = temp.renameOver(target.path); err != 0) {
    throw systemError(err, "Cannot save", shown);
  }
  flushFolder(folder, shown);
}

// "name/" asks for a folder; where name is a file, "Not a directory" alone would puzzle.
[[noreturn]] void refuseFolderName(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) throw systemError(EISDIR, "Cannot save", path);
  if (errno != ENOTDIR) throw systemError(errno, "Cannot save", path);
  const std::string name = path.substr(0, path.find_last_not_of('/') + 1);
  throw Error(ErrorKind::FileNotFound,
              "Cannot save \"" + escapeName(path) + "\": \"" + escapeName(name) +
                  "\" is a file, and a name ending in \"/\" names a folder",
              ENOTDIR);
}

// Our own standard output or error, however it is named (/dev/stdout, /proc/self/fd/1, or the
// file it was redirected to): written at the descriptor's offset, so that an append or a
// pipeline keeps what came before and after. Reopening the file would start it over.
int inheritedOutput(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return -1;
  for (const int own : {STDOUT_FILENO, STDERR_FILENO}) {
    struct stat ownSt {};
    if (::fstat(own, &ownSt) == 0 && ownSt.st_dev == st.st_dev && ownSt.st_ino == st.st_ino) {
      return own;
    }
  }
  return -1;
}

}  // namespace

void writeOutputFile(const std::string& path, std::initializer_list<std::string_view> pieces) {
  const Pieces bytes(pieces.begin(), pieces.size());
  if (path.empty()) throw systemError(ENOENT, "Cannot save", path);
  if (path.back() == '/') refuseFolderName(path);
  if (const int own = inheritedOutput(path); own >= 0) {
    writeAll(own, bytes, path);
    return;
  }
  const Target target = resolve(path);
  if (!target.exists) {
    createNew(target, bytes, path);
  } else if (S_ISDIR(target.st.st_mode)) {
    throw systemError(EISDIR, "Cannot save", path);
  } else if (target.kernelLink || !S_ISREG(target.st.st_mode)) {
    writeStraight(target, bytes, path);
  } else {
    replaceRegular(target, bytes, path);
  }
}

bool isSameRegularFile(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && S_ISREG(sa.st_mode) &&
         S_ISREG(sb.st_mode) && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace ostrilo
