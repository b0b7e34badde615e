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

namespace brimwell::bench {

class SilentFeedback : public Feedback {
 public:
  void setStatus(std::string_view) override {}
  void setProgress(int) override {}
  void pump() override {}
  void notice(std::string_view text) override {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
  }
  bool confirm(std::string_view) override { return true; }
  std::optional<std::string> chooseTemplateToLoad() override { return std::nullopt; }
  std::optional<std::string> chooseTemplateToSave() override { return std::nullopt; }
};

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
