#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "core/table/UniqueList.h"
#include "tests/support/TableTestSupport.h"

namespace ostrilo {
namespace {

using test::thrownBy;

TEST(UniqueList, AnswersMinusOnePastTheEndAndTruncateUndoesAdds) {
  UniqueList<std::string> list;
  EXPECT_EQ(std::get<std::int32_t>(list.GetItem(0)), -1);
  EXPECT_EQ(thrownBy([&] { (void)list.GetItem(-1); }).kind(), ErrorKind::OutOfRange);
  for (const char* value : {"a", "b", "c"}) ASSERT_TRUE(list.Add(value));
  EXPECT_FALSE(list.Add("b"));
  list.truncate(1);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Index(std::string("b")), -1);
  EXPECT_TRUE(list.Add("c"));
  EXPECT_EQ(list.Index(std::string("c")), 1);
}

}  // namespace
}  // namespace ostrilo
