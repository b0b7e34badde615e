#!/usr/bin/env bash
# Times `brimwell-cli measure` (with and without a template) against `brimwell-cli census` of
# the same tree, side by side in one hyperfine run with a warm cache. Goal: measure at most
# 2x the census.
#
#   bench/measure_vs_census.sh [TREE] [BRIMWELL_CLI]
#
# TREE (default /tmp/brimwell-census-tree) is the 200,000-file tree of bench/census_vs_du.sh;
# run that script once to make it. Run as root to include the free-space map (GETFSMAP) of
# the volume the tree lies on, as a user measure leaves it out.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
tree="${1:-/tmp/brimwell-census-tree}"
cli="${2:-$root/build/ci/src/cli/brimwell-cli}"
runs="${RUNS:-10}"
template="$root/templates/default.fs"

if [[ ! -f "$tree/.complete" ]]; then
  echo "no tree at $tree: make it with bench/census_vs_du.sh first" >&2
  exit 1
fi
hyperfine --warmup 2 --runs "$runs" -N --export-json /tmp/measure_vs_census.json \
  "$cli census $tree --template $template" \
  "$cli measure $tree --template $template" \
  "$cli measure $tree"
python3 - <<'PY'
import json
results = json.load(open("/tmp/measure_vs_census.json"))["results"]
census = results[0]
for r in results:
    cpu = r["user"] + r["system"]
    print(f"{r['command'][-60:]:60}  median {r['median'] * 1000:6.0f} ms"
          f"  ratio {r['median'] / census['median']:.2f}"
          f"  cpu {cpu * 1000:5.0f} ms  cpu ratio {cpu / (census['user'] + census['system']):.2f}")
PY
