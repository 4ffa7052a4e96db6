#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "TableTestSupport.h"
#include "table/UniqueList.h"

namespace ostrilo {
namespace {

using test::day;
using test::thrownBy;

TEST(UniqueList, EmptyAndPastTheEndAnswerMinusOne) {
  UniqueList<std::string> list;
  EXPECT_EQ(list.Index(std::string("AB12")), -1);
  EXPECT_EQ(std::get<std::int16_t>(list.GetItem(0)), -1);
  list.Add("AB12");
  EXPECT_EQ(std::get<std::int16_t>(list.GetItem(list.Count())), -1);
  EXPECT_EQ(thrownBy([&] { (void)list.GetItem(-1); }).kind(), ErrorKind::OutOfRange);
}

TEST(UniqueList, TextsAreHeldOnceAndCompareByteForByte) {
  UniqueList<std::string> list;
  for (const char* name : {"AB12", "ab12", "AB12 ", " B12",
                           "\xE9"
                           "B12"}) {
    EXPECT_TRUE(list.Add(name)) << name;
  }
  EXPECT_FALSE(list.Add("AB12"));
  EXPECT_EQ(list.Count(), 5);
  EXPECT_EQ(list.Index(std::string_view("AB12 ")), 2);
}

TEST(UniqueList, DatesKeepTheirFirstPositionUntilClear) {
  UniqueList<DateNumber> list;
  list.Add(day(2003, 5, 1));
  list.Add(day(2003, 5, 2));
  EXPECT_FALSE(list.Add(day(2003, 5, 1)));
  EXPECT_EQ(list.Index(day(2003, 5, 2)), 1);
  EXPECT_EQ(list.Clear(), 0);
  EXPECT_EQ(list.Index(day(2003, 5, 1)), -1);
  list.Add(day(2003, 5, 2));
  EXPECT_EQ(list.Index(day(2003, 5, 2)), 0);
}

// Positions are 16-bit: the 32,767th value is the last that fits, and a refused one leaves the
// list as it was.
TEST(UniqueList, HoldsAtMost32767Values) {
  UniqueList<std::string> list;
  for (int i = 0; i < 32767; ++i) ASSERT_TRUE(list.Add(std::to_string(i)));
  EXPECT_EQ(list.Index(std::string("32766")), 32766);
  EXPECT_EQ(thrownBy([&] { list.Add("new"); }).kind(), ErrorKind::Overflow);
  EXPECT_EQ(list.Count(), 32767);
  EXPECT_EQ(list.Index(std::string("new")), -1);
}

}  // namespace
}  // namespace ostrilo
