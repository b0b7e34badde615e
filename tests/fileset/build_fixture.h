// A workspace, fields, feedback and random source for running builds in tests, plus a
// byte-order collation for tests that need no locale.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/context.h"
#include "app/text_table.h"
#include "platform/collation.h"
#include "platform/posix_file_system.h"
#include "support/recording_feedback.h"

namespace brimwell::testing {

// Orders texts by their bytes, ties in their original order.
class ByteOrderCollation : public Collation {
 public:
  std::vector<std::uint32_t> order(const std::vector<std::string_view>& texts) override {
    std::vector<std::uint32_t> positions(texts.size());
    for (std::uint32_t i = 0; i < positions.size(); ++i) positions[i] = i;
    std::stable_sort(positions.begin(), positions.end(),
                     [&texts](std::uint32_t a, std::uint32_t b) { return texts[a] < texts[b]; });
    return positions;
  }
};

// A file entry as the list shows it: path and size ("" when it has no size cell).
using FileRow = std::pair<std::string, std::string>;

struct BuildFixture {
  Workspace lists;
  FieldValues fields;
  RecordingFeedback feedback;
  PosixFileSystem fs;
  RandomSource random{0x1234567u};
  std::unique_ptr<Collation> collation = std::make_unique<ByteOrderCollation>();
  PathStyle style = PathStyle::windows();

  Context context() { return Context{lists, fields, feedback, fs, random, *collation, style, "."}; }

  // Replaces the size template: {threshold, count} a row.
  void setTemplate(const std::vector<std::pair<std::string, std::string>>& rows) {
    lists.sizes.clear();
    for (const auto& [threshold, count] : rows) {
      const auto row = lists.sizes.addRow(threshold);
      lists.sizes.addSubCell(row, count);
      lists.sizes.addSubCell(row, "0");
      lists.sizes.addSubCell(row, "");
    }
  }

  std::vector<FileRow> fileRows() const {
    std::vector<FileRow> rows;
    const TextTable& files = lists.files1;
    for (std::size_t row = 0; row < files.rowCount(); ++row) {
      rows.emplace_back(std::string(files.caption(row)),
                        std::string(files.hasSubCell(row, 0) ? files.subCell(row, 0) : ""));
    }
    return rows;
  }

  void setDepths(std::int32_t depth) {
    for (int r = 0; r < 5; ++r) fields.setValue(rootDepthField(r), depth);
  }
  void setRootNames(const std::string& name) {
    for (int r = 0; r < 5; ++r) fields.setText(rootNameField(r), name);
  }
};

}  // namespace brimwell::testing
