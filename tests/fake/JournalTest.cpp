// The journal's order check names the line of the test that called it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake/CapturedFailures.h"
#include "fake/Journal.h"

namespace {

using fake::FailuresOf;

TEST(ExpectInOrder, AcceptsLinesInOrderAndReportsOthersAtTheCallersLine) {
  fake::Journal journal;
  for (const char* line : {"open", "copy a -> b", "sleep 500", "close"}) journal.Add(line);

  EXPECT_TRUE(FailuresOf([&] {
                fake::ExpectInOrder(journal, {"open", "copy *", "close"});
                fake::ExpectInOrder(journal, {});
              }).empty());

  int line = 0;
  std::vector<testing::TestPartResult> failures = FailuresOf([&] {
    line = __LINE__ + 1;
    fake::ExpectInOrder(journal, {"open", "close", "sleep 500"});
  });
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_STREQ(failures[0].file_name(), __FILE__);
  EXPECT_EQ(failures[0].line_number(), line);
  EXPECT_NE(std::string(failures[0].message())
                .find("\"sleep 500\" missing or out of order, expected after \"close\""),
            std::string::npos)
      << failures[0].message();

  failures = FailuresOf([&] { fake::ExpectInOrder(journal, {"copy b*"}); });
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(std::string(failures[0].message()).find("\"copy b*\" missing"), std::string::npos);
}

}  // namespace
