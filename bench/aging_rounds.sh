#!/usr/bin/env bash
# Ages a 1 GiB ext4 image at 90 % fill in 0 to 5 rounds, with the default template and with
# unix-1993, and measures the drive after each: free extents, layout score, the extents of a
# new 64 MiB file and the fit's largest difference. Needs root (loop mount).
#
#   bench/aging_rounds.sh [BRIMWELL_CLI] [WORK_FOLDER]
#
# Each figure comes from a fresh image: round 0 is `build --fill 90` and `reproduce` (no
# erase), round K is `run --fill 90 --rounds K --percent 15`, all with --seed 1. The image
# lives in WORK_FOLDER (default /dev/shm, so the disk under it does not set the pace).
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
cli="${1:-$root/build/ci/src/cli/brimwell-cli}"
work="${2:-/dev/shm}/brimwell-aging"
image="$work/volume.img"
mnt="$work/mnt"
mkdir -p "$mnt"
trap 'umount "$mnt" 2>/dev/null || true; rm -rf "$work"' EXIT

printf '| template | rounds | files | fill %% | free extents | median free | layout score | fragmented files %% | 64 MiB probe extents | fit: largest difference (points) |\n'
printf '|---|---|---|---|---|---|---|---|---|---|\n'
for name in default unix-1993; do
  template="$root/templates/$name.fs"
  for rounds in 0 1 2 3 4 5; do
    rm -f "$image"
    truncate -s 1G "$image"
    mkfs.ext4 -q -F "$image"
    mount -o loop "$image" "$mnt"
    if [[ $rounds == 0 ]]; then
      "$cli" build --template "$template" --target "$mnt/" --fill 90 --seed 1 --list "$work/list.txt" 2>/dev/null >/dev/null
      "$cli" reproduce --list "$work/list.txt" --seed 1 --yes >/dev/null 2>&1
    else
      "$cli" run --template "$template" --target "$mnt/" --fill 90 --rounds "$rounds" --percent 15 --seed 1 --yes >/dev/null 2>&1
    fi
    "$cli" measure "$mnt" --template "$template" --probe 64M --json > "$work/m.json"
    python3 - "$name" "$rounds" "$work/m.json" <<'PY'
import json, sys
name, rounds, path = sys.argv[1:4]
m = json.load(open(path))
fill, files, free, probe, fit = m["fill"], m["file_fragmentation"], m["free_space"], m["probe"], m["fit"]
print(f"| {name} | {rounds} | {fill['files']} | {fill['used_percent']:.1f} | {free['extents']} | "
      f"{free['median_bytes'] // 1024} KiB | {files['layout_score']:.4f} | {files['fragmented_percent']:.2f} | "
      f"{probe['extents']} | {fit['largest_difference']:+.2f} ({fit['largest_row']}) |")
PY
    umount "$mnt"
  done
done
