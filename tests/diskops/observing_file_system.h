// A FileSystem for the writer's tests that passes everything to a real one and notes what
// the writer asked for: each block write with its size and the random state at that moment,
// and how often attributes were read. A hook can change the disk before a file is created.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/random_source.h"
#include "support/forwarding_file_system.h"

namespace brimwell::testing {

class ObservingFileSystem : public ForwardingFileSystem {
 public:
  struct Write {
    int file;  // 0-based number of the file created
    std::size_t size;
    std::uint32_t state;  // the random state when the block was handed over
  };

  ObservingFileSystem(FileSystem& real, const RandomSource& random)
      : ForwardingFileSystem(real), random_(random) {}

  std::vector<Write> writes;
  int attributeReads = 0;
  int filesCreated = 0;
  // Called with the 0-based number of the file about to be created.
  std::function<void(int)> beforeCreate;

  bool attributes(const std::string& path, PathAttributes& out) override {
    ++attributeReads;
    return real().attributes(path, out);
  }
  std::unique_ptr<WritableFile> createFile(const std::string& path, int& error) override;

  void noteWrite(int file, std::size_t size) { writes.push_back({file, size, random_.state()}); }

 private:
  const RandomSource& random_;
};

}  // namespace brimwell::testing
