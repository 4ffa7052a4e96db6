#pragma once

// Folders where writing really fails: a full file system and a read-only one. Both are small
// tmpfs mounts where the process may mount (root, as in CI); without that, a read-only folder
// is one without write permission, which binds every user but root, and a full one cannot be
// had (the core's tests inject that failure instead).

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/support/TableTestSupport.h"

namespace ostrilo::test {

enum class FolderFault { Full, ReadOnly };

class FaultyFolder {
 public:
  // Makes folder (created here) fail writes the way fault says, holding files (name, bytes).
  FaultyFolder(std::filesystem::path folder, FolderFault fault,
               const std::vector<std::pair<std::string, std::string>>& files)
      : m_folder(std::move(folder)) {
    std::filesystem::create_directories(m_folder);
    m_mounted = ::mount("ostrilo-test", m_folder.c_str(), "tmpfs", 0, "size=64k,mode=0755") == 0;
    for (const auto& [name, bytes] : files) {
      std::ofstream(m_folder / name, std::ios::binary) << bytes;
    }
    if (m_mounted && fault == FolderFault::Full) {
      fillUp();
      m_ready = true;
    } else if (m_mounted) {
      m_ready = ::mount(nullptr, m_folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY,
                        "size=64k,mode=0755") == 0;
    } else if (fault == FolderFault::ReadOnly && ::geteuid() != 0) {
      m_ready = ::chmod(m_folder.c_str(), 0555) == 0;
    }
  }
  FaultyFolder(const FaultyFolder&) = delete;
  FaultyFolder& operator=(const FaultyFolder&) = delete;
  ~FaultyFolder() {
    if (m_mounted) {
      ::umount2(m_folder.c_str(), MNT_DETACH);
    } else {
      ::chmod(m_folder.c_str(), 0755);
    }
  }

  // False where the machine allows no such folder; the test then has nothing to check.
  [[nodiscard]] bool ready() const noexcept { return m_ready; }
  [[nodiscard]] std::string file(std::string_view name) const { return (m_folder / name).string(); }

  [[nodiscard]] std::vector<std::string> entries() const { return sortedEntries(m_folder); }

 private:
  // Leaves not one free block, so that even a few bytes cannot be written.
  void fillUp() const {
    const int fd = ::open((m_folder / "filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    static const char block[4096] = {};
    while (fd >= 0 && ::write(fd, block, sizeof block) > 0) {
    }
    while (fd >= 0 && ::write(fd, block, 1) > 0) {
    }
    if (fd >= 0) ::close(fd);
  }

  std::filesystem::path m_folder;
  bool m_mounted = false;
  bool m_ready = false;
};

}  // namespace ostrilo::test
