#include "measure/scratch_volume.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace brimwell::testing {
namespace {

void run(const std::string& command) {
  if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) {
    throw std::runtime_error("failed: " + command);
  }
}

bool onPath(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Whether the kernel mounts `type`, loading its module where that is needed.
bool kernelMounts(const std::string& type) {
  const std::string listed = "grep -qw " + type + " /proc/filesystems";
  return std::system(
             (listed + " || (modprobe " + type + " && " + listed + ") >/dev/null 2>&1").c_str()) ==
         0;
}

// Why a kind that needs a kernel file system and tools of its own cannot be made here.
std::string kindReason(ScratchVolume::Kind kind) {
  if (kind == ScratchVolume::Kind::Xfs && !onPath("mkfs.xfs")) {
    return "mkfs.xfs is not installed (xfsprogs)";
  }
  if (kind == ScratchVolume::Kind::Btrfs) {
    if (!kernelMounts("btrfs")) return "kernel lacks Btrfs";
    if (!onPath("mkfs.btrfs")) return "mkfs.btrfs is not installed (btrfs-progs)";
  }
  if (kind == ScratchVolume::Kind::Ntfs || kind == ScratchVolume::Kind::NtfsFile) {
    if (!kernelMounts("fuseblk") || !std::filesystem::exists("/dev/fuse")) {
      return "kernel lacks FUSE for block devices (fuseblk, /dev/fuse)";
    }
    for (const char* tool : {"mkntfs", "ntfs-3g"}) {
      if (!onPath(tool)) return std::string(tool) + " is not installed (ntfs-3g)";
    }
  }
  return {};
}

}  // namespace

std::string ScratchVolume::kindName(Kind kind) {
  switch (kind) {
    case Kind::Ext4:
      return "Ext4";
    case Kind::Xfs:
      return "Xfs";
    case Kind::Tmpfs:
      return "Tmpfs";
    case Kind::Btrfs:
      return "Btrfs";
    case Kind::Ntfs:
      return "Ntfs";
    case Kind::NtfsFile:
      break;
  }
  return "NtfsFile";
}

std::string ScratchVolume::skipReason(Kind kind) {
  if (::geteuid() != 0) return "mounting a scratch volume needs root";
  if (kind == Kind::Tmpfs) return {};
  if (!std::filesystem::exists("/dev/loop-control")) return "no loop devices (/dev/loop-control)";
  for (const char* tool : {"mkfs.ext4", "filefrag", "e2freefrag"}) {
    if (!onPath(tool)) return std::string(tool) + " is not installed (e2fsprogs)";
  }
  return kindReason(kind);
}

ScratchVolume::ScratchVolume(Kind kind, int megabytes, const std::string& mkfsOptions)
    : kind_(kind), megabytes_(megabytes), mountPoint_(dir_ / "mnt"), image_(dir_ / "volume.img") {
  std::filesystem::create_directory(mountPoint_);
  if (kind_ != Kind::Tmpfs) run("truncate -s " + std::to_string(megabytes_) + "M '" + image_ + "'");
  if (kind_ == Kind::Ext4) {
    run("mkfs.ext4 -q -F -b 4096 -m 0 " + mkfsOptions + " '" + image_ + "'");
  } else if (kind_ == Kind::Xfs) {
    run("mkfs.xfs -q -f '" + image_ + "'");
  } else if (kind_ == Kind::Btrfs) {
    run("mkfs.btrfs -q -f " + mkfsOptions + " '" + image_ + "'");
  } else if (kind_ == Kind::Ntfs || kind_ == Kind::NtfsFile) {
    run("mkntfs -q -F -f '" + image_ + "'");
  }
  mount();
}

ScratchVolume::~ScratchVolume() {
  if (mounted_ && std::system(("umount '" + mountPoint_ + "' >/dev/null 2>&1").c_str()) != 0) {
    // Left mounted: the next mkdtemp folder is a new one, nothing collides.
  }
}

void ScratchVolume::mount() {
  if (kind_ == Kind::Ntfs) {
    run("mount -t ntfs-3g -o loop '" + image_ + "' '" + mountPoint_ + "'");
  } else if (kind_ == Kind::NtfsFile) {
    run("ntfs-3g '" + image_ + "' '" + mountPoint_ + "'");
  } else if (kind_ != Kind::Tmpfs) {
    run("mount -o loop '" + image_ + "' '" + mountPoint_ + "'");
  } else {
    run("mount -t tmpfs -o size=" + std::to_string(megabytes_) + "m tmpfs '" + mountPoint_ + "'");
  }
  mounted_ = true;
}

void ScratchVolume::unmount() {
  run("umount '" + mountPoint_ + "'");
  mounted_ = false;
}

std::string shellOutput(const std::string& command) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
  char buffer[4096];
  std::size_t read = 0;
  while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, read);
  const int status = ::pclose(pipe);
  EXPECT_EQ(status, 0) << command;
  return output;
}

}  // namespace brimwell::testing
