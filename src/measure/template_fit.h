// The fit of the file sizes under a folder to a size template, file by file.
//
// Each file counts on the row the census's own rule gives it, with every threshold lowered
// by one: the builder draws a row's sizes from the previous threshold up to but not
// including the row's own, while the census counts a file on the first row whose threshold
// is at least its size, so a file of exactly a threshold belongs to the next row. Lowered by
// one, the census's rows are the builder's.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "app/text_table.h"
#include "measure/measurement.h"
#include "platform/file_system.h"

namespace brimwell::measure {

class TemplateFit {
 public:
  // Reads the template file at `path`; fails as loading a template fails (a file that cannot
  // be read, a count or threshold that is not a number).
  TemplateFit(FileSystem& fs, const std::string& path);

  void add(std::uint64_t size);
  FitFigures figures() const;

 private:
  TextTable sizes_{4};  // the template with its thresholds lowered by one
  std::vector<std::string> thresholds_;
  // The lowered thresholds, parsed once (the template does not change while it is measured);
  // a row whose threshold is not a 32-bit number is kLimitUnparsed and fails when reached.
  static constexpr std::int64_t kLimitUnparsed = std::numeric_limits<std::int64_t>::min();
  std::vector<std::int64_t> limits_;
  std::vector<std::int64_t> templateCounts_;
  std::vector<std::int64_t> counts_;
};

}  // namespace brimwell::measure
