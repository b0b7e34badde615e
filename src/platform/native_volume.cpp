#include <memory>

#include "platform/volume.h"
#include "platform/volume_layout.h"

namespace brimwell {
namespace {

class NativeVolume final : public Volume {
 public:
  bool space(const std::string& path, VolumeSpace& out, std::string& why) override {
    return readVolumeSpace(path, out, why);
  }
  void settle(const std::string& path) override { settleVolume(path); }
  std::unique_ptr<ExtentReader> extentReader(bool placesWanted) override {
    return std::make_unique<FileExtentReader>(placesWanted);
  }
  bool freeExtents(const std::string& path, std::vector<Extent>& out, std::string& why) override {
    return readFreeExtents(path, out, why);
  }
  bool unallocatedBytes(const std::string& path, std::uint64_t& bytes, std::string& why) override {
    return readUnallocatedBytes(path, bytes, why);
  }
  VolumeAbilities abilities(const std::string& path) override { return readVolumeAbilities(path); }
};

}  // namespace

Volume& nativeVolume() {
  static NativeVolume volume;
  return volume;
}

}  // namespace brimwell
