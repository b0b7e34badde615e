// What an operation needs to run in a test: the lists, fields at their defaults, a
// recording feedback, the real file system and a random source with a known state.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/context.h"
#include "platform/collation.h"
#include "platform/posix_file_system.h"
#include "support/recording_feedback.h"

namespace brimwell::testing {

struct Operation {
  Workspace lists;
  FieldValues fields;
  RecordingFeedback feedback;
  PosixFileSystem disk;
  RandomSource random{20261207u};
  std::unique_ptr<Collation> collation = userCollation();

  Context context(PathStyle style) { return context(disk, style); }
  Context context(FileSystem& fs, PathStyle style) {
    return Context{lists, fields, feedback, fs, random, *collation, style, "."};
  }

  // Replaces the file list with (path, size cell) entries.
  void setFiles(const std::vector<std::pair<std::string, std::string>>& entries) {
    lists.files1.clear();
    for (const auto& [path, size] : entries) {
      const std::size_t row = lists.files1.addRow(path);
      lists.files1.addSubCell(row, size);
    }
  }

  std::vector<std::string> paths() const {
    std::vector<std::string> result;
    for (std::size_t row = 0; row < lists.files1.rowCount(); ++row) {
      result.emplace_back(lists.files1.caption(row));
    }
    return result;
  }
};

}  // namespace brimwell::testing
