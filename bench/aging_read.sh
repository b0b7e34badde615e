#!/usr/bin/env bash
# Shows whether a reader feels the aging: ages a 1 GiB ext4 and XFS image to layout scores
# 0.9, 0.7 and 0.5, copies the same files to a fresh image of the same size and file system,
# and times reading them back on both. Needs root (loop devices, mount, drop_caches).
#
#   bench/aging_read.sh [BRIMWELL_CLI] [WORK_FOLDER]
#
# For each file system and layout score: a fresh image is aged with `run --template
# unix-1993 --fill 80 --rounds 3 --layout L --seed 1` (timed with a sync after it; the bytes
# written are what the loop device took in meanwhile, journal and deleted files included),
# measured, and its files copied with a tar pipe (same relative paths) to a second fresh
# image. Then, three runs each, interleaved: a cold-cache read of every file (`cat`, after a
# sync, drop_caches, a flush of the device's buffers and a remount), and a direct read
# (`dd iflag=direct`) of a 64 MiB probe file written on each volume after the copy. Prints a
# markdown table of medians, with the read requests the loop device served for each full read
# (steadier than the seconds on a shared machine).
#
# The images live in WORK_FOLDER (default /var/tmp, which must be on a real disk, not tmpfs,
# so the reads are disk reads) and are attached with `losetup --direct-io=on`, so the host's
# page cache does not hold the image. AGING_READ_FILESYSTEMS (default "ext4 xfs") and
# AGING_READ_LAYOUTS (default "0.9 0.7 0.5") cut the run short; AGING_READ_RUNS (default 3)
# sets the read runs of each.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
cli="${1:-$root/build/ci/src/cli/brimwell-cli}"
work="${2:-/var/tmp}/brimwell-read"
template="$root/templates/unix-1993.fs"
read -r -a filesystems <<<"${AGING_READ_FILESYSTEMS:-ext4 xfs}"
read -r -a layouts <<<"${AGING_READ_LAYOUTS:-0.9 0.7 0.5}"
runs="${AGING_READ_RUNS:-3}"

# Loop devices this script attached, by volume name (aged, fresh).
declare -A devices=()

cleanup() {
  local name
  for name in "${!devices[@]}"; do
    umount "$work/$name" 2>/dev/null || true
    losetup -d "${devices[$name]}" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [[ $(stat -f -c %T "$(dirname "$work")") == tmpfs ]]; then
  echo "aging_read.sh: $(dirname "$work") is tmpfs; the images must be on a real disk" >&2
  exit 2
fi

now() { echo "$EPOCHREALTIME"; }
elapsed() { awk -v s="$1" -v e="$2" 'BEGIN { printf "%.3f", e - s }'; }
median() { printf '%s\n' "$@" | sort -g | sed -n "$((($# + 1) / 2))p"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
written_sectors() { awk '{ print $7 }' "/sys/block/${devices[$1]#/dev/}/stat"; }
read_requests() { awk '{ print $1 }' "/sys/block/${devices[$1]#/dev/}/stat"; }

# A fresh 1 GiB image of file system $2 for volume $1, on a loop device with direct I/O,
# mounted at $work/$1.
make_volume() {
  local name=$1 fs=$2 image="$work/$1.img" dev
  if [[ -n ${devices[$name]:-} ]]; then
    umount "$work/$name"
    losetup -d "${devices[$name]}"
    unset "devices[$name]"
  fi
  rm -f "$image"
  truncate -s 1G "$image"
  dev=$(losetup --direct-io=on --find --show "$image")
  devices[$name]=$dev
  if [[ $(cat "/sys/block/${dev#/dev/}/loop/dio") != 1 ]]; then
    echo "aging_read.sh: $dev did not take direct I/O; reads would come from the page cache" >&2
    exit 1
  fi
  if [[ $fs == ext4 ]]; then mkfs.ext4 -q -F "$dev"; else mkfs.xfs -q -f "$dev"; fi
  mkdir -p "$work/$name"
  mount "$dev" "$work/$name"
}

# Nothing of volume $1 left in memory: written out, caches dropped, buffers flushed, remounted.
cold() {
  local name=$1
  sync
  umount "$work/$name"
  blockdev --flushbufs "${devices[$name]}"
  echo 3 >/proc/sys/vm/drop_caches
  mount "${devices[$name]}" "$work/$name"
}

# Seconds to read every file under volume $1 from a cold cache, and the read requests the
# device served meanwhile (the seconds vary with the machine's load, the requests hardly).
read_all() {
  local start requests
  cold "$1"
  requests=$(read_requests "$1")
  start=$(now)
  find "$work/$1" -type f -print0 | xargs -0 -r cat >/dev/null
  echo "$(elapsed "$start" "$(now)") $(($(read_requests "$1") - requests))"
}

# Seconds to read volume $1's probe with direct I/O.
read_probe() {
  local start
  cold "$1"
  start=$(now)
  dd if="$work/$1/probe/probe.bin" of=/dev/null bs=1M iflag=direct status=none
  elapsed "$start" "$(now)"
}

# Writes volume $1's 64 MiB probe (its place asked for whole first, as a program writing a
# known size would) and prints its extent count as measured.
write_probe() {
  local file="$work/$1/probe/probe.bin"
  mkdir -p "$work/$1/probe"
  fallocate -l 64M "$file"
  dd if=/dev/urandom of="$file" bs=1M count=64 conv=notrunc,fsync status=none
  "$cli" measure "$work/$1/probe" --json | python3 -c \
    'import json, sys; print(json.load(sys.stdin)["file_fragmentation"]["extents"])'
}

# measure's figures for volume $1: layout score, fragmented %, extents, files, bytes.
figures() {
  "$cli" measure "$work/$1" --json | python3 -c '
import json, sys
m = json.load(sys.stdin)
f, fill = m["file_fragmentation"], m["fill"]
print("%.4f %.2f %d %d %d" % (f["layout_score"], f["fragmented_percent"], f["extents"],
                              fill["files"], fill["bytes"]))'
}

mkdir -p "$work"
load_start=$(cut -d' ' -f1-3 /proc/loadavg)
printf '| file system | layout asked | layout reached | fresh copy layout | fragmented %% | extents aged / fresh | read aged (s) | read fresh (s) | ratio | read requests aged / fresh | probe extents aged / fresh | probe read aged (s) | probe read fresh (s) | probe ratio | aging (s) | bytes written by the aging |\n'
printf '|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n'
for fs in "${filesystems[@]}"; do
  for layout in "${layouts[@]}"; do
    echo "aging_read.sh: $fs, layout $layout: aging" >&2
    make_volume aged "$fs"
    sectors=$(written_sectors aged)
    start=$(now)
    "$cli" run --template "$template" --target "$work/aged/" --fill 80 --rounds 3 \
      --layout "$layout" --seed 1 --yes --list "$work/list.txt" >"$work/run.txt" 2>&1
    sync
    aging=$(elapsed "$start" "$(now)")
    written=$((($(written_sectors aged) - sectors) * 512))
    grep '^Aged:' "$work/run.txt" >&2
    read -r score fragmented extents files bytes <<<"$(figures aged)"

    echo "aging_read.sh: $fs, layout $layout: copying to a fresh image" >&2
    make_volume fresh "$fs"
    tar -C "$work/aged" --exclude=./lost+found -cf - . | tar -C "$work/fresh" -xf -
    read -r fresh_score _ fresh_extents fresh_files _ <<<"$(figures fresh)"
    if [[ $fresh_files != "$files" ]]; then
      echo "aging_read.sh: the copy holds $fresh_files files, the aged volume $files" >&2
      exit 1
    fi

    echo "aging_read.sh: $fs, layout $layout: reading" >&2
    aged_reads=() fresh_reads=() aged_requests=() fresh_requests=()
    for ((run = 0; run < runs; run++)); do
      read -r seconds requests <<<"$(read_all aged)"
      aged_reads+=("$seconds") aged_requests+=("$requests")
      read -r seconds requests <<<"$(read_all fresh)"
      fresh_reads+=("$seconds") fresh_requests+=("$requests")
    done
    aged_probe_extents=$(write_probe aged)
    fresh_probe_extents=$(write_probe fresh)
    aged_probes=() fresh_probes=()
    for ((run = 0; run < runs; run++)); do
      aged_probes+=("$(read_probe aged)")
      fresh_probes+=("$(read_probe fresh)")
    done

    aged_read=$(median "${aged_reads[@]}")
    fresh_read=$(median "${fresh_reads[@]}")
    aged_probe=$(median "${aged_probes[@]}")
    fresh_probe=$(median "${fresh_probes[@]}")
    echo "aging_read.sh: $fs, layout $layout: reads aged ${aged_reads[*]} s," \
      "${aged_requests[*]} requests; fresh ${fresh_reads[*]} s, ${fresh_requests[*]} requests;" \
      "probes aged ${aged_probes[*]}, fresh ${fresh_probes[*]}" >&2
    printf '| %s | %s | %s | %s | %s | %s / %s | %.2f | %.2f | %s | %s / %s | %s / %s | %.3f | %.3f | %s | %.1f | %s MiB (%s MiB in %s files left) |\n' \
      "$fs" "$layout" "$score" "$fresh_score" "$fragmented" "$extents" "$fresh_extents" \
      "$aged_read" "$fresh_read" "$(ratio "$aged_read" "$fresh_read")" \
      "$(median "${aged_requests[@]}")" "$(median "${fresh_requests[@]}")" "$aged_probe_extents" "$fresh_probe_extents" \
      "$aged_probe" "$fresh_probe" "$(ratio "$aged_probe" "$fresh_probe")" "$aging" \
      "$((written / 1048576))" "$((bytes / 1048576))" "$files"
  done
done
echo
echo "Load average (1, 5, 15 min): $load_start at the start, $(cut -d' ' -f1-3 /proc/loadavg) at the end."
