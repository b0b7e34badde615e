// A small file system of its own for a test: an ext4, XFS, Btrfs or NTFS image loop-mounted
// (NTFS through ntfs-3g, so as "fuseblk"), or a tmpfs mount, in a temporary folder, unmounted
// and removed afterwards. Needs root and (for the images) a loop device; skipReason() says
// what is missing. XFS needs 300 MiB at least, Btrfs 128 MiB.
#pragma once

#include <cstdlib>
#include <string>

#include "support/temp_dir.h"

namespace brimwell::testing {

class ScratchVolume {
 public:
  // NtfsFile: NTFS mounted by ntfs-3g from the image file itself, a FUSE file system
  // without a block device.
  enum class Kind { Ext4, Xfs, Tmpfs, Btrfs, Ntfs, NtfsFile };

  // The kind's name, as a test parameter's ("Ext4", "NtfsFile").
  static std::string kindName(Kind kind);

  // Empty when volumes of `kind` can be made here; otherwise why not. The reason starts with
  // "kernel lacks" where this kernel cannot mount the kind at all, which no setup of the
  // machine mends (CI names such a test; a test skipped for anything else fails CI).
  static std::string skipReason(Kind kind);

  // A volume of `megabytes` MiB (ext4: 4096-byte blocks, no reserved blocks), made with the
  // mkfs options given besides ("-O inline_data" for ext4, "--mixed" for Btrfs).
  ScratchVolume(Kind kind, int megabytes, const std::string& mkfsOptions = {});
  ~ScratchVolume();
  ScratchVolume(const ScratchVolume&) = delete;
  ScratchVolume& operator=(const ScratchVolume&) = delete;

  // The mount point, without a trailing separator.
  const std::string& mountPoint() const { return mountPoint_; }
  // The image file (every kind but tmpfs).
  const std::string& image() const { return image_; }
  // Unmounts (so tools that read the image see it whole) and mounts again.
  void unmount();
  void mount();

 private:
  Kind kind_;
  int megabytes_;
  TempDir dir_;
  std::string mountPoint_;
  std::string image_;
  bool mounted_ = false;
};

// Skips the test where volumes of `kind` cannot be made here, but fails it under CI (the
// variable CI set), which runs as root with loop devices: there a missing volume is a fault.
#define REQUIRE_SCRATCH_VOLUME(kind)                                                  \
  do {                                                                                \
    const std::string missing = ::brimwell::testing::ScratchVolume::skipReason(kind); \
    if (!missing.empty() && std::getenv("CI") != nullptr) FAIL() << missing;          \
    if (!missing.empty()) GTEST_SKIP() << missing;                                    \
  } while (false)

// Runs a shell command and returns what it printed on stdout; fails the test on a non-zero
// exit.
std::string shellOutput(const std::string& command);

}  // namespace brimwell::testing
