// What a save does to what it saves over. Cases that act as another user or give files away need
// root (CI runs as root) and skip elsewhere.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <tuple>

#include "core/table/OutputFile.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kOther = 65534;  // nobody
constexpr uid_t kSelf = static_cast<uid_t>(-1);

struct stat statOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}

class OutputFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ::chmod(dir.path().c_str(), 0755); }
  // A folder other users may enter, with the given mode and owner.
  std::string folder(mode_t mode, uid_t owner) {
    const std::string path = dir.file("shared");
    fs::create_directory(path);
    EXPECT_TRUE(::chmod(path.c_str(), mode) == 0 &&
                (owner == kSelf || ::chown(path.c_str(), owner, owner) == 0));
    return path;
  }
  test::ScratchDir dir;
};

bool needsRoot(std::initializer_list<uid_t> users) {
  return ::geteuid() != 0 &&
         std::any_of(users.begin(), users.end(), [](uid_t u) { return u != kSelf; });
}

struct ReplaceCase {
  const char* name;
  mode_t mode;
  uid_t owner;
  bool hardLink;
  uid_t saver;  // the effective user of the save; root, the real user, takes its place back
  bool refused;
  mode_t folderMode = 0777;
};

class ReplacedFile : public OutputFileTest, public ::testing::WithParamInterface<ReplaceCase> {};

// The new content arrives where writing the file was allowed and nowhere else, and the file
// stays whose it was, with its rights and all its names.
TEST_P(ReplacedFile, KeepsItsRightsOwnerAndNames) {
  const ReplaceCase& c = GetParam();
  if (needsRoot({c.owner, c.saver})) GTEST_SKIP() << "needs root to act as another user";
  const std::string shared = folder(c.folderMode, kSelf);
  const std::string path = shared + "/f";
  std::ofstream(path) << "old";
  if (c.hardLink) fs::create_hard_link(path, shared + "/also");
  ASSERT_TRUE(::chmod(path.c_str(), c.mode) == 0 &&
              (c.owner == kSelf || ::chown(path.c_str(), c.owner, c.owner) == 0));
  const struct stat before = statOf(path);
  const auto entries = test::sortedEntries(shared);

  ASSERT_TRUE(c.saver == kSelf || (::setegid(c.saver) == 0 && ::seteuid(c.saver) == 0));
  std::optional<ErrorKind> refusal;
  try {
    writeOutputFile(path, "new");
  } catch (const Error& e) {
    refusal = e.kind();
  }
  ASSERT_TRUE(c.saver == kSelf || (::seteuid(0) == 0 && ::setegid(0) == 0));

  EXPECT_EQ(refusal, c.refused ? std::optional(ErrorKind::AccessDenied) : std::nullopt);
  EXPECT_EQ(test::readBytes(path), c.refused ? "old" : "new");
  EXPECT_EQ(test::readBytes(shared + (c.hardLink ? "/also" : "/f")), test::readBytes(path));
  const struct stat after = statOf(path);
  EXPECT_EQ(std::tuple(after.st_mode & 07777, after.st_uid, after.st_gid, after.st_nlink),
            std::tuple(c.mode, before.st_uid, before.st_gid, before.st_nlink));
  EXPECT_EQ(test::sortedEntries(shared), entries);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplacedFile,
    ::testing::Values(ReplaceCase{"OwnFile", 0640, kSelf, false, kSelf, false},
                      ReplaceCase{"UsersPrivateFileSavedByRoot", 0600, kOther, false, kSelf, false},
                      ReplaceCase{"HardLinked", 0644, kSelf, true, kSelf, false},
                      ReplaceCase{"ReadOnly", 0444, kSelf, false, kOther, true},
                      ReplaceCase{"OthersWritableFile", 0666, kSelf, false, kOther, false},
                      ReplaceCase{"WritableFileInClosedFolder", 0666, kSelf, false, kOther, false,
                                  0755}),
    test::CaseName());

struct LinkCase {
  const char* name;
  mode_t folderMode;
  uid_t folderOwner;
  uid_t linkOwner;
  bool destinationExists;
  bool followed;
};

class LinkedFile : public OutputFileTest, public ::testing::WithParamInterface<LinkCase> {};

// A link is saved through, never replaced; in a sticky shared folder only a link of the saver
// or of the folder's owner is followed, as the kernel's protected_symlinks has it.
TEST_P(LinkedFile, IsFollowedOnlyWhereTheKernelWouldFollowIt) {
  const LinkCase& c = GetParam();
  if (needsRoot({c.folderOwner, c.linkOwner})) GTEST_SKIP() << "needs root to give files away";
  const std::string secret =
      c.destinationExists ? dir.write("secret", "secret") : dir.file("secret");
  const std::string link = folder(c.folderMode, c.folderOwner) + "/out";
  fs::create_symlink(secret, link);
  ASSERT_TRUE(c.linkOwner == kSelf || ::lchown(link.c_str(), c.linkOwner, c.linkOwner) == 0);

  if (c.followed) {
    writeOutputFile(link, "saved");
  } else {
    const Error e = test::thrownBy([&] { writeOutputFile(link, "saved"); });
    EXPECT_EQ(e.kind(), ErrorKind::AccessDenied);
    EXPECT_NE(e.description().find("shared folder"), std::string::npos) << e.description();
  }
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(test::readBytes(secret), c.followed ? "saved" : "secret");
  EXPECT_EQ(test::sortedEntries(dir.file("shared")), std::vector<std::string>{"out"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkedFile,
    ::testing::Values(LinkCase{"PlainFolder", 0777, kSelf, kOther, true, true},
                      LinkCase{"Dangling", 0755, kSelf, kSelf, false, true},
                      LinkCase{"OwnLinkInStickyFolder", 01777, kOther, kSelf, true, true},
                      LinkCase{"FolderOwnersLink", 01777, kOther, kOther, true, true},
                      LinkCase{"StrangersLinkInStickyFolder", 01777, kSelf, kOther, true, false}),
    test::CaseName());

// Everything that comes out of the descriptor open() answers, read on another thread.
std::future<std::string> drain(std::function<int()> open) {
  return std::async(std::launch::async, [open] {
    const int fd = open();
    std::string got;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) got.append(buffer, n);
    ::close(fd);
    return got;
  });
}

// Devices, pipes and sockets are written into and stay what they are; so is whatever a link of
// /proc leads to.
TEST_F(OutputFileTest, DevicesPipesAndSocketsAreWrittenInto) {
  const std::string bytes(100000, 'x');  // more than a pipe holds at once
  // Root may replace the machine's own /dev/null, so root tests on copies of the devices.
  const bool root = ::geteuid() == 0;
  const std::string null = root ? dir.file("null") : "/dev/null";
  const std::string full = root ? dir.file("full") : "/dev/full";
  if (root &&
      (::mknod(null.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0 ||
       ::mknod(full.c_str(), S_IFCHR | 0666, ::makedev(1, 7)) != 0 || !std::ofstream(null))) {
    GTEST_SKIP() << "the scratch folder's file system refuses devices (nodev)";
  }
  writeOutputFile(null, bytes);
  EXPECT_TRUE(S_ISCHR(statOf(null).st_mode));
  EXPECT_EQ(test::thrownBy([&] { writeOutputFile(full, bytes); }).systemErrno(), ENOSPC);

  const std::string fifo = dir.file("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto fromFifo = drain([&] { return ::open(fifo.c_str(), O_RDONLY); });
  writeOutputFile(fifo, bytes);
  EXPECT_EQ(fromFifo.get(), bytes);
  EXPECT_TRUE(S_ISFIFO(statOf(fifo).st_mode));

  sockaddr_un address{AF_UNIX, {}};
  dir.file("sock").copy(address.sun_path, sizeof address.sun_path - 1);
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 1), 0);
  auto fromSocket = drain([&] { return ::accept(listener, nullptr, nullptr); });
  EXPECT_NO_THROW(writeOutputFile(dir.file("sock"), bytes));
  ::shutdown(listener, SHUT_RDWR);  // lets a waiting accept go when nothing connected
  EXPECT_EQ(fromSocket.get(), bytes);
  ::close(listener);

  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  auto fromPipe = drain([&] { return ends[0]; });
  EXPECT_NO_THROW(writeOutputFile("/proc/self/fd/" + std::to_string(ends[1]), bytes));
  ::close(ends[1]);
  EXPECT_EQ(fromPipe.get(), bytes);
  const int memory = ::memfd_create("t", MFD_CLOEXEC);  // a file without a name
  ASSERT_EQ(::write(memory, "old and longer", 14), 14);
  writeOutputFile("/proc/self/fd/" + std::to_string(memory), "new");
  EXPECT_EQ(fs::file_size("/proc/self/fd/" + std::to_string(memory)), 3u);
  ::close(memory);
}

// Our standard output, however named, is written at its offset: an append keeps what was there
// and what the shell writes after it follows (a child process, for its own standard output).
TEST_F(OutputFileTest, StandardOutputIsWrittenWhereItStands) {
  const std::string log = dir.write("log.txt", "earlier\n");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const int fd = ::open(log.c_str(), O_WRONLY | O_APPEND);
    if (fd < 0 || ::dup2(fd, STDOUT_FILENO) < 0) ::_exit(2);
    try {
      for (const char* name : {"/dev/stdout", "/dev/fd/1", "/proc/self/fd/1"}) {
        writeOutputFile(name, std::string(name) + "\n");
      }
      writeOutputFile(log, "by name\n");
    } catch (...) {
      ::_exit(3);
    }
    static_cast<void>(!::write(STDOUT_FILENO, "after\n", 6));
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(test::readBytes(log),
            "earlier\n/dev/stdout\n/dev/fd/1\n/proc/self/fd/1\nby name\nafter\n");
}

// Any name the file system allows works, with the usual rights; a folder name on a file, a
// missing folder and a folder in the file's place are refused and leave nothing behind.
TEST_F(OutputFileTest, NamesTheFileSystemAllowsAndFolderNames) {
  EXPECT_EQ(test::thrownBy([&] { writeOutputFile(dir.file("no/f"), "x"); }).kind(),
            ErrorKind::FileNotFound);
  fs::create_directory(dir.file("keep"));
  dir.write("keep/inside", "keep me");
  (void)test::thrownBy([&] { writeOutputFile(dir.file("keep"), "x"); });
  EXPECT_EQ(test::readBytes(dir.file("keep/inside")), "keep me");
  fs::remove_all(dir.file("keep"));
  const std::string longest(255, 'n');
  writeOutputFile(dir.file(longest), "long");
  EXPECT_EQ(test::readBytes(dir.file(longest)), "long");
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(statOf(dir.file(longest)).st_mode & 0777, 0666 & ~mask);
  const Error folderName = test::thrownBy([&] { writeOutputFile(dir.file(longest) + "/", "x"); });
  EXPECT_NE(folderName.description().find("\"" + dir.file(longest) + "\" is a file"),
            std::string::npos)
      << folderName.description();
  EXPECT_EQ(dir.entries(), std::vector<std::string>{longest});
}

}  // namespace
}  // namespace ostrilo
