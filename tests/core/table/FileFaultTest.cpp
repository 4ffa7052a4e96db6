// Files that fail part way: a read error inside a count or table file, a disk that fills up
// during a save, a flush or a rename into place that fails. Each must end in a clear error that
// names the file, with the table and every file as they were and no temporary left behind.
//
// Failures that no folder can produce on demand are injected (real full and read-only folders are
// the command line's and the main window's tests): core_tests is linked with
// --wrap=read,--wrap=write,--wrap=fsync,--wrap=rename, so the core's system calls come through the
// wrappers below, which pass them on unless a test has armed a fault.
#include <gtest/gtest.h>
#include <sys/types.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>

#include "core/table/ATRTable.h"
#include "tests/support/AnnualTestSupport.h"

extern "C" {
ssize_t __real_read(int fd, void* buffer, std::size_t size);
ssize_t __real_write(int fd, const void* buffer, std::size_t size);
int __real_fsync(int fd);
int __real_rename(const char* from, const char* to);
}

namespace ostrilo {
namespace {

enum class Call { None, Read, Write, Fsync, Rename };

// The armed fault: the call fails with err once `bytesBefore` bytes have passed through it. The
// fixture disarms it after each test.
struct Fault {
  Call call = Call::None;
  int err = 0;
  std::size_t bytesBefore = 0;
  std::size_t passed = 0;
};
Fault g_fault;

// Lets a read or write through up to the fault, then fails it; answers -1 when it failed.
ssize_t throughFault(Call call, int fd, std::size_t& size) {
  if (g_fault.call != call || fd <= STDERR_FILENO) return 0;
  if (g_fault.passed >= g_fault.bytesBefore) {
    errno = g_fault.err;
    return -1;
  }
  size = std::min(size, g_fault.bytesBefore - g_fault.passed);
  return 0;
}

}  // namespace
}  // namespace ostrilo

extern "C" ssize_t __wrap_read(int fd, void* buffer, std::size_t size) {
  if (ostrilo::throughFault(ostrilo::Call::Read, fd, size) < 0) return -1;
  const ssize_t n = __real_read(fd, buffer, size);
  if (n > 0) ostrilo::g_fault.passed += static_cast<std::size_t>(n);
  return n;
}

extern "C" ssize_t __wrap_write(int fd, const void* buffer, std::size_t size) {
  if (ostrilo::throughFault(ostrilo::Call::Write, fd, size) < 0) return -1;
  const ssize_t n = __real_write(fd, buffer, size);
  if (n > 0) ostrilo::g_fault.passed += static_cast<std::size_t>(n);
  return n;
}

extern "C" int __wrap_fsync(int fd) {
  if (ostrilo::g_fault.call == ostrilo::Call::Fsync) {
    errno = ostrilo::g_fault.err;
    return -1;
  }
  return __real_fsync(fd);
}

extern "C" int __wrap_rename(const char* from, const char* to) {
  if (ostrilo::g_fault.call == ostrilo::Call::Rename) {
    errno = ostrilo::g_fault.err;
    return -1;
  }
  return __real_rename(from, to);
}

namespace ostrilo {
namespace {

using test::countLine;
using test::rising;
using test::snapshot;
using test::thrownBy;

class FileFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table.setInFile(dir.write("held.dat", countLine('1', "070403", "KEEP", rising(7)) + "\n"));
    table.BuildTable();
  }
  void TearDown() override { g_fault = {}; }

  // The operation fails with the kind given, naming the file and the system's reason, and
  // changes neither the table nor the folder it worked in.
  void expectCleanFailure(const std::function<void()>& operation, const std::string& path,
                          ErrorKind kind, const std::string& reason) {
    const test::TableSnapshot before = snapshot(table);
    const std::vector<std::string> files = dir.entries();
    const Error e = thrownBy(operation);
    EXPECT_EQ(e.kind(), kind) << e.description();
    EXPECT_NE(e.description().find(path), std::string::npos) << e.description();
    EXPECT_NE(e.description().find(reason), std::string::npos) << e.description();
    test::expectSame(before, snapshot(table));
    EXPECT_EQ(dir.entries(), files);
  }

  test::ScratchDir dir;
  ATRTable table;
};

TEST_F(FileFaultTest, ReadErrorInsideAFileFailsEveryFillAndChangesNothing) {
  // A count file and a table file each longer than one read of the reader's 64 KiB buffer.
  const std::string countPath =
      dir.write("long.dat", test::syntheticYear("AAAA") + test::syntheticYear("BBBB") +
                                test::syntheticYear("CCCC") + test::syntheticYear("DDDD"));
  const std::string tablePath = dir.file("long.cont");
  test::tableOfFiles(dir.path(), {"long.dat"}).SaveToFile(tablePath);
  ASSERT_GT(test::readBytes(tablePath).size(), std::size_t{65536});
  table.setInFile(countPath);
  for (int operation = 0; operation < 3; ++operation) {
    g_fault = {Call::Read, EIO, 65536, 0};
    expectCleanFailure(
        [&] {
          operation == 2   ? table.LoadFromFile(tablePath)
          : operation == 1 ? (void)table.AddToTable()
                           : (void)table.BuildTable();
        },
        operation == 2 ? tablePath : countPath, ErrorKind::Io, "Input/output error");
  }
}

// A disk full at once or part way through the file, a flush that fails at the end, or a rename
// into place that fails: the table file that was there before stays byte for byte, and a new
// one is not made.
TEST_F(FileFaultTest, FailedSaveKeepsTheOldFile) {
  const std::string path = dir.write("t.cont", "old table");
  for (const auto& [call, err, bytesBefore] :
       {std::tuple(Call::Write, ENOSPC, 0), std::tuple(Call::Write, ENOSPC, 100),
        std::tuple(Call::Fsync, EIO, 0), std::tuple(Call::Rename, EIO, 0)}) {
    g_fault = {call, err, static_cast<std::size_t>(bytesBefore), 0};
    expectCleanFailure([&] { table.SaveToFile(path); }, path, ErrorKind::Io, strerror(err));
    EXPECT_EQ(test::readBytes(path), "old table");
  }
  g_fault = {Call::Rename, EIO, 0, 0};
  expectCleanFailure([&] { table.SaveToFile(dir.file("new.cont")); }, dir.file("new.cont"),
                     ErrorKind::Io, strerror(EIO));
}

}  // namespace
}  // namespace ostrilo
