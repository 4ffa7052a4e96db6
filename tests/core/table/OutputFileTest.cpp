// What a save does to what it saves over. Cases that act as another user or give files away need
// root (CI runs as root) and skip elsewhere.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <future>
#include <optional>
#include <string>

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

// Runs the save with another effective user; the real user, root, takes its place back.
void saveAs(uid_t saver, const std::string& path, std::string_view bytes) {
  if (saver == kSelf) return writeOutputFile(path, bytes);
  ASSERT_EQ(::setegid(saver), 0);
  ASSERT_EQ(::seteuid(saver), 0);
  struct Back {
    ~Back() { EXPECT_TRUE(::seteuid(0) == 0 && ::setegid(0) == 0); }
  } back;
  writeOutputFile(path, bytes);
}

class OutputFileTest : public ::testing::Test {
 protected:
  // A folder every user may enter, and "f" in it with the given mode and owner.
  std::string sharedFolder(std::string_view name, mode_t mode, uid_t owner = kSelf) {
    const std::string folder = dir.file(name);
    fs::create_directory(folder);
    EXPECT_EQ(::chmod(folder.c_str(), mode), 0);
    if (owner != kSelf) {
      EXPECT_EQ(::chown(folder.c_str(), owner, owner), 0);
    }
    return folder;
  }
  void SetUp() override { ::chmod(dir.path().c_str(), 0755); }
  test::ScratchDir dir;
};

struct ReplaceCase {
  const char* name;
  mode_t mode;
  uid_t owner;
  bool hardLink;
  uid_t saver;
  bool refused;
  mode_t folderMode = 0777;
  friend void PrintTo(const ReplaceCase& c, std::ostream* os) { *os << c.name; }
};

class ReplacedFile : public OutputFileTest, public ::testing::WithParamInterface<ReplaceCase> {};

// The new content arrives where writing the file was allowed and nowhere else, and the file
// stays whose it was, with its rights and all its names.
TEST_P(ReplacedFile, KeepsItsRightsOwnerAndNames) {
  const ReplaceCase& c = GetParam();
  if ((c.owner != kSelf || c.saver != kSelf) && ::geteuid() != 0) {
    GTEST_SKIP() << "needs root to give files away and act as another user";
  }
  const std::string folder = sharedFolder("shared", c.folderMode);
  const std::string path = folder + "/f";
  std::ofstream(path) << "old";
  if (c.hardLink) fs::create_hard_link(path, folder + "/also");
  ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
  if (c.owner != kSelf) {
    ASSERT_EQ(::chown(path.c_str(), c.owner, c.owner), 0);
  }
  const struct stat before = statOf(path);
  const auto entries = test::sortedEntries(folder);

  std::optional<Error> error;
  try {
    saveAs(c.saver, path, "new content");
  } catch (const Error& e) {
    error = e;
  }
  EXPECT_EQ(error.has_value(), c.refused) << (error ? error->description() : "");
  if (error) {
    EXPECT_EQ(error->kind(), ErrorKind::AccessDenied);
  }
  EXPECT_EQ(test::readBytes(path), c.refused ? "old" : "new content");
  if (c.hardLink) {
    EXPECT_EQ(test::readBytes(folder + "/also"), "new content");
  }
  const struct stat after = statOf(path);
  EXPECT_EQ(after.st_mode & 07777, c.mode);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  EXPECT_EQ(after.st_nlink, before.st_nlink);
  EXPECT_EQ(test::sortedEntries(folder), entries);
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
  friend void PrintTo(const LinkCase& c, std::ostream* os) { *os << c.name; }
};

class LinkedFile : public OutputFileTest, public ::testing::WithParamInterface<LinkCase> {};

// A link is saved through, never replaced; in a sticky shared folder only a link of the saver
// or of the folder's owner is followed, as the kernel's protected_symlinks has it.
TEST_P(LinkedFile, IsFollowedOnlyWhereTheKernelWouldFollowIt) {
  const LinkCase& c = GetParam();
  if ((c.folderOwner != kSelf || c.linkOwner != kSelf) && ::geteuid() != 0) {
    GTEST_SKIP() << "needs root to give links and folders to another user";
  }
  const std::string secret = dir.file("secret");
  if (c.destinationExists) dir.write("secret", "secret");
  const std::string folder = sharedFolder("shared", c.folderMode, c.folderOwner);
  const std::string link = folder + "/out";
  fs::create_symlink(secret, link);
  if (c.linkOwner != kSelf) {
    ASSERT_EQ(::lchown(link.c_str(), c.linkOwner, c.linkOwner), 0);
  }

  if (c.followed) {
    writeOutputFile(link, "saved");
  } else {
    const Error e = test::thrownBy([&] { writeOutputFile(link, "saved"); });
    EXPECT_EQ(e.kind(), ErrorKind::AccessDenied);
    EXPECT_NE(e.description().find("shared folder"), std::string::npos) << e.description();
  }
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(test::readBytes(secret), c.followed ? "saved" : "secret");
  EXPECT_EQ(test::sortedEntries(folder), std::vector<std::string>{"out"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkedFile,
    ::testing::Values(LinkCase{"PlainFolder", 0777, kSelf, kOther, true, true},
                      LinkCase{"Dangling", 0755, kSelf, kSelf, false, true},
                      LinkCase{"OwnLinkInStickyFolder", 01777, kOther, kSelf, true, true},
                      LinkCase{"FolderOwnersLink", 01777, kOther, kOther, true, true},
                      LinkCase{"StrangersLinkInStickyFolder", 01777, kSelf, kOther, true, false}),
    test::CaseName());

// Devices, pipes and sockets are written into and stay what they are.
TEST_F(OutputFileTest, DevicesPipesAndSocketsAreWrittenInto) {
  const std::string bytes(100000, 'x');  // more than a pipe holds at once
  // Root may replace the machine's own /dev/null, so root tests on copies of the devices.
  const bool root = ::geteuid() == 0;
  const std::string null = root ? dir.file("null") : "/dev/null";
  const std::string full = root ? dir.file("full") : "/dev/full";
  if (root) {
    ASSERT_EQ(::mknod(null.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
    ASSERT_EQ(::mknod(full.c_str(), S_IFCHR | 0666, ::makedev(1, 7)), 0);
    const int probe = ::open(null.c_str(), O_WRONLY);
    if (probe < 0) GTEST_SKIP() << "the scratch folder's file system refuses devices (nodev)";
    ::close(probe);
  }
  writeOutputFile(null, bytes);
  EXPECT_TRUE(S_ISCHR(statOf(null).st_mode));
  EXPECT_EQ(test::thrownBy([&] { writeOutputFile(full, bytes); }).systemErrno(), ENOSPC);

  const std::string fifo = dir.file("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto fromFifo = std::async(std::launch::async, [&] { return test::readBytes(fifo); });
  writeOutputFile(fifo, bytes);
  EXPECT_EQ(fromFifo.get(), bytes);
  EXPECT_TRUE(S_ISFIFO(statOf(fifo).st_mode));

  // A link only the kernel can follow, as /dev/stdout is when standard output is a pipe.
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  auto fromPipe = std::async(std::launch::async, [&] {
    std::string got(bytes.size(), '\0');
    std::size_t n = 0;
    for (ssize_t r = 1; r > 0 && n < got.size(); n += static_cast<std::size_t>(r)) {
      r = ::read(ends[0], got.data() + n, got.size() - n);
    }
    return got;
  });
  EXPECT_NO_THROW(writeOutputFile("/proc/self/fd/" + std::to_string(ends[1]), bytes));
  ::close(ends[1]);
  EXPECT_EQ(fromPipe.get(), bytes);
  ::close(ends[0]);
  // A file without a name anywhere, which only such a link reaches.
  const int memory = ::memfd_create("t", MFD_CLOEXEC);
  ASSERT_EQ(::write(memory, "old and longer", 14), 14);
  writeOutputFile("/proc/self/fd/" + std::to_string(memory), "new");
  char got[16] = {};
  EXPECT_EQ(::pread(memory, got, sizeof got, 0), 3);
  EXPECT_STREQ(got, "new");
  ::close(memory);

  const std::string socketPath = dir.file("sock");
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 1), 0);
  auto fromSocket = std::async(std::launch::async, [&] {
    const int peer = ::accept(listener, nullptr, nullptr);
    std::string got;
    char buffer[4096];
    for (ssize_t r; (r = ::read(peer, buffer, sizeof buffer)) > 0;) got.append(buffer, r);
    ::close(peer);
    return got;
  });
  writeOutputFile(socketPath, bytes);
  EXPECT_EQ(fromSocket.get(), bytes);
  ::close(listener);
  EXPECT_EQ(dir.entries().size(), root ? 4u : 2u);
}

// New files: any name the file system allows, none left behind where a save fails, a folder
// name refused in words that say so.
TEST_F(OutputFileTest, NamesTheFileSystemAllowsAndFolderNames) {
  const std::string longest(255, 'n');
  writeOutputFile(dir.file(longest), "long");
  EXPECT_EQ(test::readBytes(dir.file(longest)), "long");
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(statOf(dir.file(longest)).st_mode & 0777, 0666 & ~mask);

  dir.write("f", "old");
  const Error folderName = test::thrownBy([&] { writeOutputFile(dir.file("f/"), "x"); });
  EXPECT_NE(folderName.description().find("\"" + dir.file("f") + "\" is a file"), std::string::npos)
      << folderName.description();
  EXPECT_EQ(test::thrownBy([&] { writeOutputFile(dir.file(""), "x"); }).systemErrno(), EISDIR);
  EXPECT_EQ(test::thrownBy([&] { writeOutputFile(dir.file("no/f"), "x"); }).kind(),
            ErrorKind::FileNotFound);
  EXPECT_EQ(test::readBytes(dir.file("f")), "old");
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"f", longest}));
}

}  // namespace
}  // namespace ostrilo
