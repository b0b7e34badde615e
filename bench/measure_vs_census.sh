#!/usr/bin/env bash
# Times `brimwell-cli measure` (with and without a template) against `brimwell-cli census` of
# the same tree with a warm cache, the commands interleaved round by round (so a change in
# the machine's load hits them alike), and prints each one's median wall and CPU time and
# its ratio to the census. Goal: measure without a template at most 1.2x the census, or within
# 1.1x of its floor (bench/walk_floor.c --extents --free-space) where that floor misses it.
#
#   bench/measure_vs_census.sh [TREE] [BRIMWELL_CLI] [OTHER_CLI...]
#
# TREE (default /tmp/brimwell-census-tree) is the 200,000-file tree of bench/census_vs_du.sh;
# run that script once to make it. Each OTHER_CLI is another build whose plain `measure`
# joins each round (before and after a change). RUNS rounds (default 7) follow two
# warm-up rounds. Run as root to include the free-space map (GETFSMAP) of the volume the
# tree lies on, as a user measure leaves it out.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
tree="${1:-/tmp/brimwell-census-tree}"
cli="${2:-$root/build/ci/src/cli/brimwell-cli}"
runs="${RUNS:-7}"
template="$root/templates/default.fs"

if [[ ! -f "$tree/.complete" ]]; then
  echo "no tree at $tree: make it with bench/census_vs_du.sh first" >&2
  exit 1
fi
commands=("$cli census $tree --template $template" "$cli measure $tree --template $template"
  "$cli measure $tree")
for other in "${@:3}"; do commands+=("$other measure $tree"); done

times="$(mktemp)"
trap 'rm -f "$times"' EXIT
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((round = -2; round < runs; ++round)); do
  for ((i = 0; i < ${#commands[@]}; ++i)); do
    # shellcheck disable=SC2086  # the command is split into its words on purpose
    /usr/bin/time -f "$round $i %e %U %S" -a -o "$times" ${commands[$i]} >/dev/null 2>&1
  done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
python3 - "$times" "${commands[@]}" <<'PY'
import statistics, sys
rows = [line.split() for line in open(sys.argv[1]) if line.strip()]
commands = sys.argv[2:]
wall = {i: [] for i in range(len(commands))}
cpu = {i: [] for i in range(len(commands))}
for round_, i, e, u, s in rows:
    if int(round_) < 0:
        continue  # warm-up
    wall[int(i)].append(float(e))
    cpu[int(i)].append(float(u) + float(s))
base_wall = statistics.median(wall[0])
base_cpu = statistics.median(cpu[0])
for i, command in enumerate(commands):
    w = statistics.median(wall[i])
    c = statistics.median(cpu[i])
    print(f"{command[-60:]:60}  median {w * 1000:5.0f} ms  ratio {w / base_wall:.2f}"
          f"  cpu {c * 1000:5.0f} ms  cpu ratio {c / base_cpu:.2f}  (n={len(wall[i])})")
PY
