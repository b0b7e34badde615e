// A tmpfs mounted on a fresh folder for one test's lifetime: a drive that fills up, or one
// mounted read-only. Mounting needs root; where it cannot be made, rootOrSkip() skips the
// test, and fails it under CI=true (CI runs as root, so there a missing mount is a fault).
#pragma once

#include <cstddef>
#include <string>

#include "support/temp_dir.h"

namespace brimwell::testing {

class SmallDrive {
 public:
  explicit SmallDrive(std::size_t bytes, bool readOnly = false);
  ~SmallDrive();
  SmallDrive(const SmallDrive&) = delete;
  SmallDrive& operator=(const SmallDrive&) = delete;

  bool mounted() const { return mounted_; }
  std::string path(const std::string& relative) const { return dir_ / relative; }
  // Mounts it read-only from now on, keeping what it holds.
  bool remountReadOnly();

 private:
  TempDir dir_;
  bool mounted_ = false;
};

// True under CI=true, where a test that needs root must fail rather than skip.
bool rootIsRequired();

}  // namespace brimwell::testing

// Skips the test (fails it under CI=true) with `why` when `condition` does not hold.
#define BRIMWELL_REQUIRE_ROOT(condition, why)                     \
  do {                                                            \
    if (!(condition)) {                                           \
      if (::brimwell::testing::rootIsRequired()) FAIL() << (why); \
      GTEST_SKIP() << (why);                                      \
    }                                                             \
  } while (false)
