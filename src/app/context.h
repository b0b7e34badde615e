// What every operation works with: the window's three lists, its fields, the feedback,
// the file system, the random source, the path style, the locale's settings and the volume.
#pragma once

#include <string>

#include "app/feedback.h"
#include "app/fields.h"
#include "app/random_source.h"
#include "app/text_table.h"
#include "platform/collation.h"
#include "platform/file_system.h"
#include "platform/path_style.h"
#include "platform/volume.h"

namespace brimwell {

// The system's whole state: the three lists of the window.
struct Workspace {
  // The size template: caption = size threshold; sub-cells Count, %, Description.
  TextTable sizes{4};
  // The builder's scratch folder list: caption = folder path.
  TextTable files{1};
  // The file list: caption = full path; sub-cell 0 = size in bytes.
  TextTable files1{2};
};

// Sub-cell indices of the size template.
inline constexpr std::size_t kCountCell = 0;
inline constexpr std::size_t kPercentCell = 1;
inline constexpr std::size_t kDescriptionCell = 2;
// Sub-cell index of a file entry's size.
inline constexpr std::size_t kSizeCell = 0;

struct Context {
  Workspace& lists;
  FieldReader& fields;
  Feedback& feedback;
  FileSystem& fs;
  RandomSource& random;
  Collation& collation;
  PathStyle style;
  // The user locale's decimal separator, kept current by the face.
  std::string decimalSeparator;
  // The volumes the files lie on: space, settling, extents. Last, so that a context made
  // for operations that never ask a volume can leave it out.
  Volume& volume = nativeVolume();
};

}  // namespace brimwell
