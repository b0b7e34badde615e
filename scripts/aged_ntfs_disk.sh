#!/usr/bin/env bash
# Makes an aged NTFS disk for a Windows machine: a disk image with a GPT partition table and
# one NTFS partition, aged by brimwell-cli through ntfs-3g, measured, and converted to a VHD
# a Windows virtual machine attaches as a disk. Needs root, loop devices, parted, ntfs-3g
# (mkntfs) and qemu-utils (qemu-img).
#
#   scripts/aged_ntfs_disk.sh [--size MIB] [--cli PATH] [--keep-raw] OUT.vhd -- RUN_ARGUMENTS
#
# RUN_ARGUMENTS go to `brimwell-cli run` (the target, --yes and --list are added), such as
#   --template default --fill 80 --layout 0.7 --rounds 3 --seed 1
# or  --template default --like drive.json --seed 1
# Beside OUT.vhd it leaves OUT.svg (measure --svg of the aged volume), OUT.txt (the measure
# report) and OUT.list.txt (the files written); with --keep-raw, OUT.raw (the raw image).
# What is aged is ntfs-3g's allocator at work, not Windows' own: Windows places the files it
# writes by its own rules, so a volume aged here shows how ntfs-3g lays NTFS out.
set -euo pipefail

usage() {
  sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2
  exit 2
}

size=1024
cli=""
keepRaw=false
while [ $# -gt 0 ]; do
  case $1 in
    --size) size=$2; shift 2 ;;
    --cli) cli=$2; shift 2 ;;
    --keep-raw) keepRaw=true; shift ;;
    -h | --help) usage ;;
    --) break ;;
    -*) echo "unknown option $1" >&2; usage ;;
    *) out=$1; shift ;;
  esac
done
[ "${1:-}" = -- ] || usage
shift
[ -n "${out:-}" ] || usage
case $size in '' | *[!0-9]*) echo "--size: '$size' is not a number of MiB" >&2; exit 2 ;; esac
[ "$size" -ge 64 ] || { echo "--size: the disk needs 64 MiB at least" >&2; exit 2; }
if [ -z "$cli" ]; then cli=$(command -v brimwell-cli || true); fi
[ -x "$cli" ] || { echo "brimwell-cli not found: give --cli PATH" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "making and mounting the disk needs root" >&2; exit 77; }
for tool in parted losetup mkntfs ntfs-3g qemu-img; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 77; }
done

base=${out%.vhd}
work=$(mktemp -d)
raw=$work/disk.raw
mnt=$work/mnt
loop=""
detach() {
  partx -d "$loop" 2>/dev/null || true
  losetup -d "$loop" 2>/dev/null || true
  loop=""
}
cleanup() {
  if mountpoint -q "$mnt" 2>/dev/null; then umount "$mnt" || true; fi
  if [ -n "$loop" ]; then detach; fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "== A disk of $size MiB: GPT, one NTFS partition"
truncate -s "${size}M" "$raw"
parted -s "$raw" -- mklabel gpt mkpart aged ntfs 1MiB -1MiB set 1 msftdata on
loop=$(losetup -f --show -P "$raw")
partition=${loop}p1
# Some kernels read no partition table on a loop device; partx adds the partition itself.
[ -b "$partition" ] || partx -a "$loop" 2>/dev/null || true
[ -b "$partition" ] || { echo "the partition $partition did not appear" >&2; exit 1; }
# The partition starts 1 MiB in: sector 2048, as Windows reads it from the volume.
mkntfs -q -Q -F -L aged -p 2048 -H 255 -S 63 "$partition"
mkdir "$mnt"
mount -t ntfs-3g "$partition" "$mnt"

echo "== Ageing it"
"$cli" run --target "$mnt/aged/" --list "$base.list.txt" --yes "$@"
"$cli" measure "$mnt" --svg "$base.svg" | tee "$base.txt"
# The list names the files by where they were mounted here; on Windows they lie under aged\.
umount "$mnt"
detach

echo "== Converting to $out"
# force_size: the VHD keeps exactly the raw size, so a GPT's backup header stays at the
# disk's end.
qemu-img convert -f raw -O vpc -o force_size=on "$raw" "$out"
if $keepRaw; then mv "$raw" "$base.raw"; fi
echo "Made $out (the aged volume's picture: $base.svg)"
