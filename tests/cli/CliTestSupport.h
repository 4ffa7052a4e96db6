#pragma once

// Running the command line in-process, for the tests of its commands.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo::test {

inline const std::string kHourlyHeader =
    "station,date,h00,h01,h02,h03,h04,h05,h06,h07,h08,h09,h10,h11,h12,h13,h14,h15,h16,h17,h18,"
    "h19,h20,h21,h22,h23,total\n";

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
