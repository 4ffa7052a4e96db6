#pragma once

// Running the command line in-process, for the tests of its commands.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo::test {

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline CliResult runArgs(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = cli::runCli(args, out, err);
  return {status, out.str(), err.str()};
}

class CliTest : public ::testing::Test {
 protected:
  [[nodiscard]] std::string path(const std::string& name) const { return dir.file(name); }
  [[nodiscard]] std::string readFile(const std::string& name) const {
    return readBytes(dir.file(name));
  }
  ScratchDir dir;
};

}  // namespace ostrilo::test
