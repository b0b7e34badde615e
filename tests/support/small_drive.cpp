#include "support/small_drive.h"

#include <sys/mount.h>

#include <cstdlib>

namespace brimwell::testing {

SmallDrive::SmallDrive(std::size_t bytes, bool readOnly) {
  const std::string options = "size=" + std::to_string(bytes);
  mounted_ = ::mount("tmpfs", dir_.path().c_str(), "tmpfs", readOnly ? MS_RDONLY : 0,
                     options.c_str()) == 0;
}

SmallDrive::~SmallDrive() {
  if (mounted_) ::umount2(dir_.path().c_str(), MNT_DETACH);
}

bool SmallDrive::remountReadOnly() {
  return mounted_ &&
         ::mount("tmpfs", dir_.path().c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

bool rootIsRequired() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && std::string(ci) == "true";
}

}  // namespace brimwell::testing
