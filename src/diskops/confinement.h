// Keeps the writer and the erase from following links below the target folder for as
// long as they run: the file system is confined to the target path in `reprodpath` (its
// folder part, so a target without a trailing separator, which runs into the root names,
// trusts only the folder that holds it), and set free again at the end, also when a
// failure unwinds.
#pragma once

#include <string>

#include "app/context.h"

namespace brimwell::diskops {

class Confinement {
 public:
  explicit Confinement(Context& context) : fs_(context.fs) {
    const std::string target = context.fields.text(EditField::reprodpath);
    fs_.confineTo(std::string(PathStyle::folderPart(target)));
  }
  ~Confinement() { fs_.confineTo(std::nullopt); }
  Confinement(const Confinement&) = delete;
  Confinement& operator=(const Confinement&) = delete;

 private:
  FileSystem& fs_;
};

}  // namespace brimwell::diskops
