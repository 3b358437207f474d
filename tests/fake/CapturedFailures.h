// For tests of the fake's own checks: the test failures a piece of test code
// reports, caught so that they do not fail the test that runs it.
#pragma once

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace fake {

inline std::vector<testing::TestPartResult> FailuresOf(const std::function<void()>& run) {
  testing::TestPartResultArray results;
  {
    testing::ScopedFakeTestPartResultReporter reporter(
        testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
    run();
  }
  std::vector<testing::TestPartResult> failures;
  for (int i = 0; i < results.size(); ++i) failures.push_back(results.GetTestPartResult(i));
  return failures;
}

}  // namespace fake
