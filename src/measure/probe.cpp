#include "measure/probe.h"

#include <algorithm>
#include <vector>

#include "app/failure.h"
#include "app/random_bytes.h"
#include "platform/volume_layout.h"

namespace brimwell::measure {
namespace {

// A name not yet taken in `folder`.
std::string probePath(Context& context, const std::string& folder) {
  for (;;) {
    const std::string path =
        folder + "brimwell-probe-" + std::to_string(context.random.draw(1000000000)) + ".tmp";
    PathAttributes attributes;
    if (!context.fs.attributes(path, attributes)) return path;
  }
}

// Writes `bytes` random bytes; returns the Windows error number, 0 when all were written.
int writeRandom(Context& context, WritableFile& file, std::uint64_t bytes) {
  std::vector<std::uint8_t> block(std::size_t{1} << 20);
  while (bytes > 0) {
    const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, block.size()));
    fillRandomBytes(context.random, block.data(), size);
    std::size_t written = 0;
    const int error = file.write(block.data(), size, written);
    if (error != 0) return error;
    if (written < size) return 112;
    bytes -= size;
  }
  return file.close();
}

}  // namespace

ProbeFigures runProbe(Context& context, const std::string& folder, std::uint64_t bytes) {
  ProbeFigures probe;
  probe.requested = true;
  probe.bytes = bytes;
  const std::string path = probePath(context, folder);
  int error = 0;
  const auto file = context.fs.createFile(path, error);
  if (!file) {
    probe.why = "the probe file could not be created: " + ioErrorMessage(error);
    return probe;
  }
  // Placed whole before it is written: a file written out by the page cache goes where the
  // allocator's stream last stopped, which moves with every large file (on an aged ext4
  // volume two probes in a row took 443 and 822 extents), while a placement asked for at
  // once starts from the folder's own block group and gives the same answer every time.
  error = file->reserve(0, bytes);
  if (error == 0) error = writeRandom(context, *file, bytes);
  file->close();
  if (error != 0) {
    probe.why = "the probe file could not be written: " +
                (error == 112 ? std::string("not enough free space") : ioErrorMessage(error));
  } else {
    std::vector<Extent> extents;
    settleVolume(folder);
    std::uint64_t size = 0;
    if (FileExtentReader().read(path, extents, size, probe.why) == ExtentsAnswer::Read) {
      probe.known = true;
      probe.extents = static_cast<std::int64_t>(extents.size());
    }
  }
  context.fs.deleteFile(path);
  return probe;
}

}  // namespace brimwell::measure
