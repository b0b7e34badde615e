#!/usr/bin/env bash
# Shows whether a reader meets the aging: ages a 1 GiB ext4 and XFS image to layout scores
# 0.9, 0.7 and 0.5, copies the same files to a fresh image of the same size and file system,
# and reads them back on both. Needs root (loop devices, mount, drop_caches).
#
#   bench/aging_read.sh [BRIMWELL_CLI] [WORK_FOLDER]
#
# For each file system and layout score: a fresh image is aged with `run --template
# unix-1993 --fill 80 --rounds 3 --layout L --seed 1` (timed with a sync after it),
# measured (`measure --read-cost`), and its files copied with a tar pipe (same relative
# paths) to a second fresh image, measured too. Then, AGING_READ_RUNS times each,
# interleaved: a cold-cache read of every file in `find` order (`cat`, after a sync,
# drop_caches, a flush of the device's buffers and a remount), counting the read requests
# the loop device served (steadier than the seconds on a shared machine). Prints a markdown
# table of medians: extents and device read requests aged / fresh, the share of the extra
# extents that reach the device as extra requests ((requests aged - fresh) / (extents aged -
# fresh)), the share of breaks that are reversed and touching, the tree-order score, the
# modelled hard-disk read time of measure --read-cost (and the share of breaks it charges a
# seek), and the wall time of the reads, each aged / fresh.
#
# The images live in WORK_FOLDER (default /var/tmp, which must be on a real disk, not tmpfs,
# so the reads are disk reads) and are attached with `losetup --direct-io=on`, so the host's
# page cache does not hold the image. AGING_READ_FILESYSTEMS (default "ext4 xfs") and
# AGING_READ_LAYOUTS (default "0.9 0.7 0.5") cut the run short; AGING_READ_RUNS (default 3)
# sets the read runs of each. A layout given as "use" ages by use instead (`--by-use`, no
# --layout); AGING_READ_ROUNDS (default 3) sets the rounds, such as
#   AGING_READ_LAYOUTS=use AGING_READ_ROUNDS=5 bench/aging_read.sh
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
cli="${1:-$root/build/ci/src/cli/brimwell-cli}"
work="${2:-/var/tmp}/brimwell-read"
template="$root/templates/unix-1993.fs"
read -r -a filesystems <<<"${AGING_READ_FILESYSTEMS:-ext4 xfs}"
read -r -a layouts <<<"${AGING_READ_LAYOUTS:-0.9 0.7 0.5}"
runs="${AGING_READ_RUNS:-3}"
rounds="${AGING_READ_ROUNDS:-3}"

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

# measure's figures for volume $1: layout score, fragmented %, extents, files, bytes,
# tree-order score, modelled read seconds, breaks, reversed and touching, breaks charged a seek.
figures() {
  "$cli" measure "$work/$1" --json --read-cost | python3 -c '
import json, sys
m = json.load(sys.stdin)
f, fill, cost = m["file_fragmentation"], m["fill"], m["read_cost"]
b = f["breaks"]
print("%.4f %.2f %d %d %d %.4f %.3f %d %d %d" % (
    f["layout_score"], f["fragmented_percent"], f["extents"], fill["files"], fill["bytes"],
    f["tree_order_score"], cost["seconds"], b["breaks"], b["reversed_touching"],
    cost["break_seeks"]))'
}
share() { awk -v a="$1" -v b="$2" 'BEGIN { if (b == 0) print "-"; else printf "%.0f %%", 100 * a / b }'; }

mkdir -p "$work"
load_start=$(cut -d' ' -f1-3 /proc/loadavg)
printf '| file system | layout asked / reached | extents aged / fresh | read requests aged / fresh | ratio | extra extents reaching the device | breaks reversed and touching | breaks charged a seek by the model | tree-order score aged / fresh | model aged / fresh (s) | model ratio | read aged / fresh (s) | read ratio | aging (s) |\n'
printf '|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n'
for fs in "${filesystems[@]}"; do
  for layout in "${layouts[@]}"; do
    echo "aging_read.sh: $fs, layout $layout: aging" >&2
    make_volume aged "$fs"
    if [[ $layout == use ]]; then aim=(--by-use); else aim=(--layout "$layout"); fi
    start=$(now)
    "$cli" run --template "$template" --target "$work/aged/" --fill 80 --rounds "$rounds" \
      "${aim[@]}" --seed 1 --yes --list "$work/list.txt" >"$work/run.txt" 2>&1
    sync
    aging=$(elapsed "$start" "$(now)")
    grep '^Aged:' "$work/run.txt" >&2
    read -r score _ extents files _ tree model breaks touching seeks <<<"$(figures aged)"

    echo "aging_read.sh: $fs, layout $layout: copying to a fresh image" >&2
    make_volume fresh "$fs"
    tar -C "$work/aged" --exclude=./lost+found -cf - . | tar -C "$work/fresh" -xf -
    read -r _ _ fresh_extents fresh_files _ fresh_tree fresh_model _ <<<"$(figures fresh)"
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
    aged_read=$(median "${aged_reads[@]}")
    fresh_read=$(median "${fresh_reads[@]}")
    aged_request=$(median "${aged_requests[@]}")
    fresh_request=$(median "${fresh_requests[@]}")
    echo "aging_read.sh: $fs, layout $layout: reads aged ${aged_reads[*]} s," \
      "${aged_requests[*]} requests; fresh ${fresh_reads[*]} s, ${fresh_requests[*]} requests" >&2
    printf '| %s | %s / %s | %s / %s | %s / %s | %s | %s | %s | %s | %s / %s | %s / %s | %s | %s / %s | %s | %.1f |\n' \
      "$fs" "$layout" "$score" "$extents" "$fresh_extents" "$aged_request" "$fresh_request" \
      "$(ratio "$aged_request" "$fresh_request")" \
      "$(share $((aged_request - fresh_request)) $((extents - fresh_extents)))" \
      "$(share "$touching" "$breaks")" "$(share "$seeks" "$breaks")" "$tree" "$fresh_tree" \
      "$model" "$fresh_model" "$(ratio "$model" "$fresh_model")" "$aged_read" "$fresh_read" \
      "$(ratio "$aged_read" "$fresh_read")" "$aging"
  done
done
echo
echo "Load average (1, 5, 15 min): $load_start at the start, $(cut -d' ' -f1-3 /proc/loadavg) at the end."
