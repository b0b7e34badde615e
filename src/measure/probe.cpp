#include "measure/probe.h"

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "app/failure.h"
#include "app/random_bytes.h"
#include "platform/windows_errors.h"

namespace brimwell::measure {
namespace {

constexpr int kStopped = -1;  // the user stopped the probe

constexpr int kNameTries = 8;  // draws of a name before a clash is taken as a failure

// Creates the probe in `folder` under a name drawn apart from the seeded source (which
// repeats its draws), so that no one can plant something at it beforehand; it is never
// made over or through anything already there: a name that is taken is drawn again.
std::unique_ptr<WritableFile> createProbe(Context& context, const std::string& folder,
                                          std::string& path, int& error) {
  std::random_device device;
  for (int tries = 0; tries < kNameTries; ++tries) {
    path = folder + "brimwell-probe-" + std::to_string(device()) + "-" + std::to_string(device()) +
           ".tmp";
    auto file = context.fs.createNewFile(path, error);
    if (error != winerr::kFileExists) return file;
  }
  return nullptr;
}

// Fails before anything is written when the probe cannot fit in the free space.
void checkProbeFits(Volume& volume, const std::string& folder, std::uint64_t bytes) {
  const std::optional<VolumeSpace> space = knownSpace(volume, folder);
  if (!space) return;  // the write will tell
  const std::uint64_t block = space->blockSize == 0 ? 1 : space->blockSize;
  const std::uint64_t footprint = (bytes + block - 1) / block * block;
  if (footprint <= space->availableBytes) return;
  throw Failure("The probe of " + std::to_string(bytes) + " bytes does not fit: the volume " +
                "mounted on " + space->mountPoint + " has " +
                std::to_string(space->availableBytes) + " bytes free; nothing was written");
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
    if (!context.feedback.carryOn()) return kStopped;
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
  checkProbeFits(context.volume, folder, bytes);
  // Made inside the folder, never through a link planted at its name.
  context.fs.confineTo(folder);
  std::string path;
  int error = 0;
  const auto file = createProbe(context, folder, path, error);
  if (!file) {
    context.fs.confineTo(std::nullopt);
    probe.why = "the probe file could not be created: " + ioErrorMessage(error);
    return probe;
  }
  // Placed whole before it is written: a file written out by the page cache goes where the
  // allocator's stream last stopped, which moves with every large file (on an aged ext4
  // volume two probes in a row took 443 and 822 extents), while a placement asked for at
  // once starts from the folder's own block group and gives the same answer every time.
  bool placed = false;
  error = file->reserve(0, bytes, placed);
  if (error == 0) error = writeRandom(context, *file, bytes);
  file->close();
  if (error == kStopped) {
    probe.stopped = true;
    probe.why = "stopped";
  } else if (error != 0) {
    probe.why = "the probe file could not be written: " +
                (error == 112 ? std::string("not enough free space") : ioErrorMessage(error));
  } else {
    std::vector<Extent> extents;
    context.volume.settle(folder);
    const Expected<FileMap> map = context.volume.extentReader(false)->read(path, extents);
    if (!map) {
      probe.why = map.failure().message();
    } else if (map->place == FilePlace::NotReported && map->notReported) {
      probe.why = map->notReported->explained();
    } else if (map->place != FilePlace::Mapped) {
      probe.why = "the file system does not tell where the probe file lies";
    } else {
      probe.known = true;
      probe.extents = static_cast<std::int64_t>(extents.size());
    }
  }
  context.fs.deleteFile(path);
  context.fs.confineTo(std::nullopt);
  return probe;
}

}  // namespace brimwell::measure
