// What the whole-run benchmark tools run an operation with: the real file system, POSIX
// paths, and feedback that answers every question with OK and shows nothing.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "app/context.h"
#include "platform/collation.h"
#include "platform/posix_file_system.h"
#include "silent_feedback.h"

namespace brimwell::bench {

struct Run {
  Workspace lists;
  FieldValues fields;
  SilentFeedback feedback;
  PosixFileSystem disk;
  RandomSource random{20261207u};
  std::unique_ptr<Collation> collation = userCollation();

  Context context() {
    return Context{lists, fields, feedback, disk, random, *collation, PathStyle::posix(), "."};
  }
};

}  // namespace brimwell::bench
