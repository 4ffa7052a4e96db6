#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "core/table/UniqueList.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo {
namespace {

using test::thrownBy;

// Positions are 16-bit; a refused value leaves the list as it was.
TEST(UniqueList, HoldsAtMost32767ValuesAndAnswersMinusOnePastTheEnd) {
  UniqueList<std::string> list;
  EXPECT_EQ(std::get<std::int16_t>(list.GetItem(0)), -1);
  EXPECT_EQ(thrownBy([&] { (void)list.GetItem(-1); }).kind(), ErrorKind::OutOfRange);
  for (int i = 0; i < 32767; ++i) ASSERT_TRUE(list.Add(std::to_string(i)));
  EXPECT_FALSE(list.Add("32766"));
  EXPECT_EQ(list.Index(std::string("32766")), 32766);
  EXPECT_EQ(thrownBy([&] { list.Add("new"); }).kind(), ErrorKind::Overflow);
  EXPECT_EQ(list.Count(), 32767);
  EXPECT_EQ(list.Index(std::string("new")), -1);
}

}  // namespace
}  // namespace ostrilo
