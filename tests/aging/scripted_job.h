// What an aging job needs to run without root: an operation's lists, fields and feedback
// over a real temporary folder, on a ScriptedVolume that keeps the books of what is written.
#pragma once

#include <string>

#include "app/context.h"
#include "diskops/operation_fixture.h"
#include "support/scripted_volume.h"
#include "support/temp_dir.h"

namespace brimwell::testing {

struct ScriptedJob {
  static constexpr std::uint64_t kMiB = 1024 * 1024;

  TempDir dir;
  Operation op;
  ScriptedVolume volume{64 * kMiB, 4096};
  Context context{op.lists,  op.fields,     op.feedback,        volume.files(op.disk),
                  op.random, *op.collation, PathStyle::posix(), ".",
                  volume};
  std::string target = dir.path() + "/job/";

  // Files of 4 to 256 KiB in a few folders, written into the target.
  ScriptedJob();
};

}  // namespace brimwell::testing
