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

  bool space(const std::string& path, VolumeSpace& out, std::string& why) override {
    return real_.space(path, out, why);
  }
  void settle(const std::string& path) override { real_.settle(path); }
  std::unique_ptr<ExtentReader> extentReader(bool placesWanted) override {
    return real_.extentReader(placesWanted);
  }
  bool freeExtents(const std::string& path, std::vector<Extent>& out, std::string& why) override {
    return real_.freeExtents(path, out, why);
  }
  bool unallocatedBytes(const std::string& path, std::uint64_t& bytes, std::string& why) override {
    return real_.unallocatedBytes(path, bytes, why);
  }
  VolumeAbilities abilities(const std::string& path) override { return real_.abilities(path); }

 protected:
  Volume& real() const { return real_; }

 private:
  Volume& real_;
};

}  // namespace brimwell::testing
