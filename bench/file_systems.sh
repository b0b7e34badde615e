#!/usr/bin/env bash
# Ages a fresh 1 GiB volume of each file system this machine mounts and prints one row per
# file system: where the layout dial landed (asked -> reached), whether measure's extents are
# exactly filefrag's, whether the free space is known, the modelled read cost aged / fresh
# (measure --read-cost on the aged volume and on a fresh volume of the same kind holding a
# copy of the same files), and the wall time of the aging run. Where the run is refused
# (tmpfs: no extents to steer by), the row says so with the run's reason.
#
#   bench/file_systems.sh [BRIMWELL_CLI] [FILE_SYSTEM...]   (as root)
#
# FILE_SYSTEM: ext4 xfs btrfs ntfs tmpfs (default: all). The run is
#   run --template default --fill 80 --layout 0.7 --rounds 1 --seed 1
# on a volume of SIZE MiB (default 1024); NTFS is mounted with ntfs-3g from a loop device.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
template="$(dirname "$here")/templates/default.fs"
cli="${1:-$(dirname "$here")/build/ci/src/cli/brimwell-cli}"
shift || true
kinds=("$@")
[ ${#kinds[@]} -gt 0 ] || kinds=(ext4 xfs btrfs ntfs tmpfs)
size="${SIZE:-1024}"
work=$(mktemp -d)
trap 'umount "$work/mnt" "$work/fresh" 2>/dev/null || true; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
mkdir "$work/mnt" "$work/fresh"
loadStart=$(cut -d' ' -f1-3 /proc/loadavg)

# A fresh volume of kind $1 mounted at $work/${2:-mnt}, its image beside it.
mountVolume() {
  local at="$work/${2:-mnt}" image="$work/${2:-mnt}.img"
  if [ "$1" = tmpfs ]; then
    mount -t tmpfs -o "size=${size}m" tmpfs "$at"
    return
  fi
  rm -f "$image"
  truncate -s "${size}M" "$image"
  case $1 in
    ext4) mkfs.ext4 -q -F -b 4096 -m 0 "$image" ;;
    xfs) mkfs.xfs -q -f "$image" ;;
    btrfs) mkfs.btrfs -q -f "$image" >/dev/null 2>&1 ;;
    ntfs) mkntfs -q -F -f "$image" >/dev/null 2>&1 ;;
  esac
  if [ "$1" = ntfs ]; then mount -t ntfs-3g -o loop "$image" "$at"; else mount -o loop "$image" "$at"; fi
}

# measure's modelled seconds to read every file under $1 in walk order.
modelledRead() {
  "$cli" measure "$1" --json --read-cost |
    python3 -c 'import json,sys; print(json.load(sys.stdin)["read_cost"]["seconds"])'
}

# The modelled read time of the files under $work/mnt/t over that of the same files copied
# (tar, same relative paths) to a fresh volume of kind $1.
readCostRatio() {
  local aged fresh
  aged=$(modelledRead "$work/mnt/t")
  mountVolume "$1" fresh
  tar -C "$work/mnt" -cf - t | tar -C "$work/fresh" -xf -
  fresh=$(modelledRead "$work/fresh/t")
  umount "$work/fresh"
  rm -f "$work/fresh.img"
  awk -v a="$aged" -v f="$fresh" 'BEGIN { printf "%.2f (%.1f s / %.1f s)", a / f, a, f }'
}

# filefrag's extents of every file under $1, summed.
filefragExtents() {
  find "$1" -type f -exec filefrag {} + 2>/dev/null |
    awk -F': ' '{ split($NF, w, " "); if (w[2] ~ /^extents?$/) sum += w[1] } END { print sum + 0 }'
}

printf '%-6s  %-16s  %-22s  %-10s  %-24s  %s\n' "fs" "dial" "extents vs filefrag" \
  "free space" "read cost aged / fresh" "time"
for kind in "${kinds[@]}"; do
  mountVolume "$kind"
  start=$(date +%s%N)
  out=$("$cli" run --template "$template" --target "$work/mnt/t/" --fill 80 --layout 0.7 --rounds 1 \
    --seed 1 --yes --list "$work/list.txt" 2>&1) && status=0 || status=$?
  took=$((($(date +%s%N) - start) / 1000000000))
  if refusal=$(echo "$out" | grep -m 1 -o 'cannot be steered on the volume holding .*'); then
    printf '%-6s  %-16s  %-22s  %-10s  %-10s  %s\n' "$kind" "refused" "none" "unknown" "none" \
      "(refused: ${refusal#*: })"
    umount "$work/mnt"
    continue
  fi
  if [ "$status" != 0 ]; then
    printf '%-6s  %-16s  (run failed, exit %s: %s)\n' "$kind" "0.70 -> failed" "$status" \
      "$(echo "$out" | grep -m 1 -i 'error\|cannot\|no space' || echo "$out" | tail -n 1)"
    umount "$work/mnt"
    continue
  fi
  reached=$(echo "$out" | sed -n 's/^Aged: layout score \([0-9.]*\).*/\1/p')
  [ -n "$reached" ] || reached=$(echo "$out" | grep -o 'layout unavailable' | head -n 1 || true)
  json=$("$cli" measure "$work/mnt/t" --json)
  files=$(echo "$json" | python3 -c 'import json,sys; g=json.load(sys.stdin)["file_fragmentation"]; print(g.get("extents", "unknown") if g["known"] else "unknown")')
  free=$(echo "$json" | python3 -c 'import json,sys; print("known" if json.load(sys.stdin)["free_space"]["known"] else "unknown")')
  frag=$(filefragExtents "$work/mnt/t" || true)
  if [ "$files" = unknown ]; then match="unknown"; elif [ "$files" = "$frag" ]; then match="exact ($frag)"; else match="$files vs $frag"; fi
  cost=$(readCostRatio "$kind")
  printf '%-6s  %-16s  %-22s  %-10s  %-24s  %d s\n' "$kind" "0.70 -> ${reached:-failed}" "$match" "$free" "$cost" "$took"
  umount "$work/mnt"
done
echo "Load average (1, 5, 15 min): $loadStart at the start, $(cut -d' ' -f1-3 /proc/loadavg) at the end."
