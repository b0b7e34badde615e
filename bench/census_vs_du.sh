#!/usr/bin/env bash
# Times a whole census (both walks) against `du -s --apparent-size` on the same tree, side
# by side in one hyperfine run with a warm cache.
#
#   bench/census_vs_du.sh [TREE] [CENSUS_BENCH] [BRIMWELL_CLI]
#
# TREE (default /tmp/brimwell-census-tree) is generated when missing: 200,000 files in
# 8,000 folders (80 folders of 99 subfolders each, 25 files in every folder), sparse files
# whose apparent sizes spread from 0 bytes to 4 MiB. CENSUS_BENCH is the census_bench
# program of a Release build (default build/census-release/bench/census_bench); BRIMWELL_CLI,
# when given, is timed too (`brimwell-cli census`, the same census with its terminal face).
# With TREE_ONLY=1 the script makes the tree and stops.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
tree="${1:-/tmp/brimwell-census-tree}"
census="${2:-$root/build/census-release/bench/census_bench}"
cli="${3:-}"
runs="${RUNS:-15}"

if [[ ! -f "$tree/.complete" ]]; then
  rm -rf "$tree"
  python3 - "$tree" <<'PY'
import os, random, sys
tree = sys.argv[1]
rng = random.Random(20261207)
def fill(folder):
    os.makedirs(folder, exist_ok=True)
    for n in range(25):
        path = os.path.join(folder, f"file{n:02}.dat")
        with open(path, "wb") as f:
            # Log-uniform sizes, as real populations are spread: many small, few large.
            f.truncate(int(2 ** rng.uniform(0, 22)) - 1)
for top in range(80):
    folder = os.path.join(tree, f"top{top:02}")
    fill(folder)
    for sub in range(99):
        fill(os.path.join(folder, f"sub{sub:02}"))
open(os.path.join(tree, ".complete"), "w").close()
PY
fi
[[ -n "${TREE_ONLY:-}" ]] && exit 0

# The marker file is one more file for both programs alike.
echo "tree: $tree ($(find "$tree" -type f | wc -l) files, $(find "$tree" -mindepth 1 -type d | wc -l) folders)"
"$census" --census="$tree" --template="$root/templates/default.fs"
du -s --apparent-size -B1 "$tree"

commands=("$census --census=$tree --template=$root/templates/default.fs")
if [[ -n "$cli" ]]; then
  commands+=("$cli census $tree --template $root/templates/default.fs")
fi
commands+=("du -s --apparent-size $tree")
hyperfine --warmup 3 --runs "$runs" -N --export-json /tmp/census_vs_du.json "${commands[@]}"
python3 - <<'PY'
import json
results = json.load(open("/tmp/census_vs_du.json"))["results"]
du = results[-1]
for r in results:
    cpu = r["user"] + r["system"]
    print(f"{r['command'][:70]:70}  median {r['median'] * 1000:6.0f} ms"
          f"  ratio {r['median'] / du['median']:.2f}"
          f"  cpu {cpu * 1000:5.0f} ms  cpu ratio {cpu / (du['user'] + du['system']):.2f}")
PY
