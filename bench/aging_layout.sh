#!/usr/bin/env bash
# Times `run --fill 80 --layout 0.7` against `run --fill 80` on a fresh 1 GiB ext4 and XFS
# image, AGING_LAYOUT_RUNS runs of each (default 3), interleaved, and prints the medians.
# Needs root (loop mount).
#
#   bench/aging_layout.sh [BRIMWELL_CLI] [WORK_FOLDER]
#
# Each run gets a freshly made image (not timed). Timed: the run and a `sync` after it, so
# data the run left in the page cache counts too (the layout run writes the volume out as
# it goes). The image lives in WORK_FOLDER (default /dev/shm, so the disk under it does not
# set the pace).
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
cli="${1:-$root/build/ci/src/cli/brimwell-cli}"
work="${2:-/dev/shm}/brimwell-layout"
image="$work/volume.img"
mnt="$work/mnt"
mkdir -p "$mnt"
trap 'umount "$mnt" 2>/dev/null || true; rm -rf "$work"' EXIT

fresh() {
  umount "$mnt" 2>/dev/null || true
  rm -f "$image"
  truncate -s 1G "$image"
  if [[ $1 == ext4 ]]; then mkfs.ext4 -q -F "$image"; else mkfs.xfs -q -f "$image"; fi
  mount -o loop "$image" "$mnt"
}

# Seconds for one run with the given extra options, then sync.
timed() {
  local start end
  start=$(date +%s.%N)
  "$cli" run --template "$root/templates/unix-1993.fs" --target "$mnt/" --fill 80 --seed 1 \
    --yes "$@" >"$work/out.txt" 2>/dev/null
  sync
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}

runs="${AGING_LAYOUT_RUNS:-3}"
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

printf '| file system | run --fill 80 (s) | run --fill 80 --layout 0.7 (s) | ratio | layout score reached |\n'
printf '|---|---|---|---|---|\n'
for fs in ext4 xfs; do
  plain=() layout=()
  for _ in $(seq "$runs"); do
    fresh "$fs"
    plain+=("$(timed)")
    fresh "$fs"
    layout+=("$(timed --layout 0.7)")
  done
  score=$(grep -o 'Aged: layout score [0-9.]*' "$work/out.txt" | awk '{print $4}')
  p=$(median "${plain[@]}")
  l=$(median "${layout[@]}")
  printf '| %s | %.2f | %.2f | %.2f | %s |\n' "$fs" "$p" "$l" "$(echo "$l / $p" | bc -l)" "$score"
done
