#include <gtest/gtest.h>

#include <stdexcept>

#include "core/table/CountFileReader.h"
#include "tools/countgen/CountGenerator.h"

namespace ostrilo::countgen {
namespace {

TEST(CountGenerator, SameRequestSameTextAndTheReaderTakesIt) {
  CountFileRequest request;
  request.days = 3;
  request.stationCount = 4;
  const std::string text = generateCountFile(request);
  EXPECT_EQ(text, generateCountFile(request));
  const std::vector<CountLine> lines = parseCountFile(text, "gen.dat");
  ASSERT_EQ(lines.size(), 4u * 3u * 2u);
  EXPECT_EQ(lines.back().name, "0104");
  const auto day = dayVolumes("0101", request.firstDate, request.seed);
  for (std::size_t h = 0; h < 12; ++h) {
    EXPECT_EQ(lines[0].volumes[h], day[h]);
    EXPECT_EQ(lines[1].volumes[h], day[12 + h]);
  }
}

TEST(CountGenerator, AStationLooksTheSameInEveryFileOfASeed) {
  CountFileRequest two;
  two.stations = {"0105", "0999"};
  const auto lineOf = [](const std::string& text) {
    return text.substr(text.find(" 0105 ") - 8, 73);
  };
  EXPECT_EQ(lineOf(generateCountFile({})), lineOf(generateCountFile(two)));
}

TEST(CountGenerator, RefusesRequestsTheFormatCannotCarry) {
  CountFileRequest request;
  request.firstDate = {2030, 1, 1};  // would read back as 1930
  EXPECT_THROW((void)generateCountFile(request), std::invalid_argument);
  for (const std::vector<std::string>& stations :
       {std::vector<std::string>{"0101", "0101"}, std::vector<std::string>{"12345"}}) {
    request = {};
    request.stations = stations;
    EXPECT_THROW((void)generateCountFile(request), std::invalid_argument);
  }
}

}  // namespace
}  // namespace ostrilo::countgen
