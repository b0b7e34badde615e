// A Context on the real file system with recorded feedback and in-memory fields, for the
// tests of the size template and the census.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/context.h"
#include "platform/posix_file_system.h"
#include "support/recording_feedback.h"
#include "support/temp_dir.h"

namespace brimwell::testing {

struct CensusFixture {
  explicit CensusFixture(FileSystem* fileSystem = nullptr)
      : collation(userCollation()),
        context{lists,  fields,     feedback,           fileSystem ? *fileSystem : posix,
                random, *collation, PathStyle::posix(), "."} {}

  // Rows of (threshold, count, description), % "0".
  void setRows(const std::vector<std::vector<std::string>>& rows) {
    lists.sizes.clear();
    for (const auto& cells : rows) {
      const std::size_t row = lists.sizes.addRow(cells.at(0));
      lists.sizes.addSubCell(row, cells.at(1));
      lists.sizes.addSubCell(row, "0");
      lists.sizes.addSubCell(row, cells.size() > 2 ? cells[2] : "");
    }
  }

  // One sub-cell (kCountCell, kPercentCell, kDescriptionCell) of every row.
  std::vector<std::string> column(std::size_t subCell) const {
    std::vector<std::string> texts;
    for (std::size_t row = 0; row < lists.sizes.rowCount(); ++row) {
      texts.emplace_back(lists.sizes.subCell(row, subCell));
    }
    return texts;
  }
  std::vector<std::string> thresholds() const {
    std::vector<std::string> texts;
    for (std::size_t row = 0; row < lists.sizes.rowCount(); ++row) {
      texts.emplace_back(lists.sizes.caption(row));
    }
    return texts;
  }

  TempDir dir;
  PosixFileSystem posix;
  Workspace lists;
  FieldValues fields;
  RecordingFeedback feedback;
  RandomSource random;
  std::unique_ptr<Collation> collation;
  Context context;
};

}  // namespace brimwell::testing
