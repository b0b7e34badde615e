// Windows need a display: under Wine, the virtual one the test command starts
// (scripts/wine_emulator.sh passes it on). Without one a test is skipped, and under
// CI=true it fails instead. On Windows there always is one.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

namespace brimwell::testing {

struct OnDisplay : ::testing::Test {
  void SetUp() override {
    if (std::getenv("DISPLAY") != nullptr || std::getenv("WINEPREFIX") == nullptr) return;
    if (std::getenv("CI") != nullptr) FAIL() << "no display for the window";
    GTEST_SKIP() << "no display: run under scripts/test_mingw.sh";
  }
};

}  // namespace brimwell::testing
