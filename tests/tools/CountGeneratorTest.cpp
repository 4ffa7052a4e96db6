#include <gtest/gtest.h>

#include <stdexcept>

#include "table/CountFileReader.h"
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
  EXPECT_EQ(lines.front().name, "0101");
  EXPECT_EQ(lines.back().name, "0104");
  // Each pair of halves gives back the day the generator meant.
  const auto day = dayVolumes("0101", request.firstDate, request.seed);
  for (int h = 0; h < 12; ++h) {
    EXPECT_EQ(lines[0].volumes[static_cast<std::size_t>(h)], day[static_cast<std::size_t>(h)]);
    EXPECT_EQ(lines[1].volumes[static_cast<std::size_t>(h)], day[static_cast<std::size_t>(12 + h)]);
  }
}

TEST(CountGenerator, AStationLooksTheSameInEveryFileOfASeed) {
  CountFileRequest twelve;
  CountFileRequest two;
  two.stations = {"0105", "0999"};
  const std::string a = generateCountFile(twelve);
  const std::string b = generateCountFile(two);
  const auto lineOf = [](const std::string& text, std::string_view station) {
    const auto at = text.find(std::string(" ") + std::string(station) + " ");
    return text.substr(at - 8, 73);
  };
  EXPECT_EQ(lineOf(a, "0105"), lineOf(b, "0105"));
}

TEST(CountGenerator, RefusesRequestsTheFormatCannotCarry) {
  CountFileRequest request;
  request.firstDate = {2030, 1, 1};  // would read back as 1930
  EXPECT_THROW((void)generateCountFile(request), std::invalid_argument);
  request = {};
  request.stations = {"0101", "0101"};
  EXPECT_THROW((void)generateCountFile(request), std::invalid_argument);
  request = {};
  request.stations = {"12345"};
  EXPECT_THROW((void)generateCountFile(request), std::invalid_argument);
}

}  // namespace
}  // namespace ostrilo::countgen
