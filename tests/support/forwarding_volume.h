// The base of every test double of a volume: it passes every request to a wrapped Volume, so
// a double overrides only what it changes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/volume.h"

namespace brimwell::testing {

class ForwardingVolume : public Volume {
 public:
  explicit ForwardingVolume(Volume& real) : real_(real) {}

  Expected<VolumeSpace> space(const std::string& path) override { return real_.space(path); }
  void settle(const std::string& path) override { real_.settle(path); }
  std::unique_ptr<ExtentReader> extentReader(bool placesWanted) override {
    return real_.extentReader(placesWanted);
  }
  Expected<std::vector<Extent>> freeExtents(const std::string& path) override {
    return real_.freeExtents(path);
  }
  Expected<std::uint64_t> unallocatedBytes(const std::string& path) override {
    return real_.unallocatedBytes(path);
  }
  VolumeAbilities abilities(const std::string& path) override { return real_.abilities(path); }

 protected:
  Volume& real() const { return real_; }

 private:
  Volume& real_;
};

}  // namespace brimwell::testing
