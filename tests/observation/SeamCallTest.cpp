// A call as its records describe it: the method's failure rule judged on the
// result, a pointer argument shown as "-" when the call failed, and typed
// access that reaches no further than the call's own arguments and result.
#include <gtest/gtest.h>

#include "fake/FakeMachine.h"
#include "observation/Forwarding.h"

namespace {

using observation::Failure;
using observation::SeamCall;

struct RuleCase {
  Failure rule;
  uint32_t result;
  bool failed;
};

class SeamCallRule : public ::testing::TestWithParam<RuleCase> {};

TEST_P(SeamCallRule, TheResultIsJudgedByTheMethodsRuleAndAFailedCallHidesItsPointers) {
  const RuleCase& c = GetParam();
  fake::FakeMachine machine;
  const std::string name = "a";
  uint32_t written = 5;
  uint32_t* out = &written;
  const SeamCall::Value arguments[] = {{&name, &observation::kArgumentType<std::string>},
                                       {&out, &observation::kArgumentType<uint32_t*>}};
  uint32_t result = c.result;
  const observation::Method method{"Get", observation::Effect::Query, c.rule};
  SeamCall call("Test", method, std::string(), machine.system, arguments, 2, &result,
                &observation::kResultType<uint32_t>);

  EXPECT_EQ(call.Failed(), c.failed);
  EXPECT_EQ(call.ArgumentsText(), c.failed ? "\"a\", -" : "\"a\", 5");
  EXPECT_EQ(call.ResultText(), observation::Text(c.result));
  EXPECT_EQ(call.Argument<uint32_t*>(1), &out);
  EXPECT_EQ(call.Argument<std::string>(2), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SeamCallRule,
    ::testing::Values(RuleCase{Failure::Never, 0, false}, RuleCase{Failure::Empty, 0, true},
                      RuleCase{Failure::Empty, 1, false}, RuleCase{Failure::ErrorCode, 0, false},
                      RuleCase{Failure::ErrorCode, 5, true},
                      RuleCase{Failure::AllOnes, 0xFFFFFFFF, true},
                      RuleCase{Failure::AllOnes, 0, false},
                      RuleCase{Failure::MinusOne, 0xFFFFFFFF, true},
                      RuleCase{Failure::Below32, 31, true}, RuleCase{Failure::Below32, 32, false}));

TEST(SeamCall, ACallWithoutResultHasNoneToReachOrReplace) {
  fake::FakeMachine machine;
  const int code = 3;
  const SeamCall::Value arguments[] = {{&code, &observation::kArgumentType<int>}};
  const observation::Method method{"Exit", observation::Effect::End};
  SeamCall call("Test", method, std::string(), machine.system, arguments, 1, nullptr, nullptr);

  EXPECT_EQ(*call.Argument<int>(0), 3);
  EXPECT_EQ(call.Result<int>(), nullptr);
  EXPECT_FALSE(call.ReplaceResult(0));
  EXPECT_FALSE(call.Replaced());
  EXPECT_EQ(call.ResultText(), "");
  EXPECT_FALSE(call.Failed());
}

}  // namespace
