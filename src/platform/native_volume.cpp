#include <memory>

#include "platform/volume.h"
#include "platform/volume_layout.h"

namespace brimwell {
namespace {

class NativeVolume final : public Volume {
 public:
  Expected<VolumeSpace> space(const std::string& path) override { return readVolumeSpace(path); }
  void settle(const std::string& path) override { settleVolume(path); }
  std::unique_ptr<ExtentReader> extentReader(bool placesWanted) override {
    return std::make_unique<FileExtentReader>(placesWanted);
  }
  Expected<std::vector<Extent>> freeExtents(const std::string& path) override {
    return readFreeExtents(path);
  }
  Expected<std::uint64_t> unallocatedBytes(const std::string& path) override {
    return readUnallocatedBytes(path);
  }
  VolumeAbilities abilities(const std::string& path) override { return readVolumeAbilities(path); }
};

}  // namespace

Volume& nativeVolume() {
  static NativeVolume volume;
  return volume;
}

}  // namespace brimwell
