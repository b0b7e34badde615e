#!/usr/bin/env bash
# The regression check: builds BASE and the work tree side by side and times the six figures
# of the benchmark table for both, in interleaved pairs on the same machine.
#
#   bench/regress.sh [BASE]
#
# BASE (a commit) defaults to the main commit the last run recorded in bench/RESULTS.md
# names (its line "Commits: base X, work Y" gives Y). BASE is built from `git archive` in
# $OUT/base, the work tree (with its uncommitted changes) in $OUT/work-build, or in WORK_BUILD
# (an optimised build folder of the work tree that exists, such as build/ci); both with the
# benchmarks on. OUT defaults to /tmp/brimwell-regress.
#
# The six figures, each run once per side in every pair, the two sides in turn (which goes
# first alternates from pair to pair), the floors of the ratios in the same pair:
#   build     `build` of 1,000,000 files over 30,000 folders, the list on tmpfs (s, peak MiB)
#   sort-out  `sort-out --percent 15` of that list against `shuf -n 150000` of it
#   census    `census` of 200,000 files against `du -s`, warm (bench/census_vs_du.sh's tree)
#   measure   `measure` against `census` on 99,001 written files, warm
#   writer    the writer against its floor (writer_baseline: the same calls and random bytes) on tmpfs
#   erase     the erase against `xargs rm -f` on tmpfs
# The floors, minimal programs doing the same work (built from the work tree, run in every
# pair): build  bench/build_floor.c (the same entries drawn, put in order and written);
# sort-out  shuf itself; census  bench/walk_floor.c; measure  walk_floor --extents
# --free-space (each file's extents, the free-space map); writer  writer_baseline (the same
# folders, files and 2048-byte writes of the same random bytes); erase has
# none but its competitor.
#
# Printed, a row for each figure: its goal; both sides' medians (the build in seconds and
# MiB, the others as a ratio to their competitor in the same pair); the work's distance from
# its floor (work / floor, paired median) and the floor's own ratio to the competitor; a
# verdict: "met", "floor misses it" (the floor itself misses the goal and the work is within
# 1.1x of it), or "NOT MET"; the median of the paired ratios work / base with their range;
# a mark "WORSE" where that median is more than 10 % worse and the best pair is worse too
# (single runs on a shared machine spread by +-20 %); and the same paired ratio for the CPU
# time (user + system), steadier than the wall time on a busy machine.
#
# PAIRS (default 7) sets the pairs; CENSUS_TREE and WRITTEN_TREE the trees (made when
# missing; the written tree takes about 2.3 GB on the disk); SCRATCH the tmpfs folder.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
out="${OUT:-/tmp/brimwell-regress}"
work_build="${WORK_BUILD:-$out/work-build}"
[[ "$work_build" = /* ]] || work_build="$PWD/$work_build"
pairs="${PAIRS:-7}"
scratch="${SCRATCH:-/dev/shm/brimwell-regress}"
census_tree="${CENSUS_TREE:-/tmp/brimwell-census-tree}"
written_tree="${WRITTEN_TREE:-/tmp/brimwell-written-tree}"
template="$root/templates/default.fs"

base="${1:-}"
if [[ -z "$base" ]]; then
  base="$(sed -n 's/^Commits: base [0-9a-f]*, work \([0-9a-f]*\).*/\1/p' "$here/RESULTS.md" | tail -1)"
  if [[ -z "$base" ]]; then
    echo "bench/RESULTS.md records no earlier run: name the BASE commit" >&2
    exit 2
  fi
fi
base_commit="$(git -C "$root" rev-parse --short "$base^{commit}")"
work_commit="$(git -C "$root" rev-parse --short HEAD)"
if [[ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]]; then
  work_commit="$work_commit+changes"
fi

build_tree() {  # SOURCE BUILD TARGET...
  local source="$1" build="$2"
  shift 2
  if command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR="$source" CCACHE_NOHASHDIR=true
  fi
  # A build folder made from another source tree would time that tree: start it again.
  if [[ -f "$build/CMakeCache.txt" ]] &&
    ! grep -qxF "CMAKE_HOME_DIRECTORY:INTERNAL=$(cd "$source" && pwd -P)" "$build/CMakeCache.txt"; then
    rm -rf "$build"
  fi
  if [[ ! -f "$build/CMakeCache.txt" ]]; then
    cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRIMWELL_GUI=OFF \
      -DBRIMWELL_TESTS=OFF -DBRIMWELL_BENCH=ON >/dev/null
  fi
  cmake --build "$build" -j2 --target "$@" >/dev/null
}
side_targets=(brimwell-cli writer_run fragmentation_run)  # each side runs these; the floors are the work's
echo "building base $base_commit and work $work_commit in $out"
mkdir -p "$out" "$scratch"
# The base's sources are unpacked again only for another commit, so its build stays current.
if [[ "$(cat "$out/base-src/.regress-commit" 2>/dev/null)" != "$base_commit" ]]; then
  rm -rf "$out/base-src" "$out/base"
  mkdir -p "$out/base-src"
  git -C "$root" archive "$base_commit" | tar -x -C "$out/base-src"
  echo "$base_commit" >"$out/base-src/.regress-commit"
fi
build_tree "$out/base-src" "$out/base" "${side_targets[@]}"
build_tree "$root" "$work_build" "${side_targets[@]}" writer_baseline walk_floor build_floor
ln -sfn "$work_build" "$out/work"
floor="$out/work/bench/writer_baseline"

# The inputs, made once.
if [[ ! -f "$census_tree/.complete" ]]; then
  TREE_ONLY=1 "$here/census_vs_du.sh" "$census_tree"
fi
if [[ ! -f "$written_tree/.complete" ]]; then
  rm -rf "$written_tree"
  "$out/work/src/cli/brimwell-cli" run --template "$root/templates/unix-1993.fs" --target "$written_tree/" \
    --files 100000 --folders 4000 --percent 1 --seed 1 --list "$out/written-list.txt" \
    --yes >/dev/null 2>&1
  touch "$written_tree/.complete"
fi
"$out/work/src/cli/brimwell-cli" build --template "$template" --files 1000000 --folders 30000 \
  --target /mnt/scratch/ --seed 1 --list "$scratch/list.txt" >/dev/null 2>&1
"$out/work/bench/writer_run" generate "$scratch/writer-list.txt" 20000 800 1 >/dev/null
cut -f1 "$scratch/writer-list.txt" | sed "s#^#$scratch/e/#" >"$scratch/erase-paths.txt"

times="$out/times.txt"
: >"$times"
timed() {  # PAIR FIGURE SIDE COMMAND...: appends "pair figure side wall peak-KiB user system"
  local pair="$1" figure="$2" side="$3"
  shift 3
  /usr/bin/time -f "$pair $figure $side %e %M %U %S" -a -o "$times" "$@" >/dev/null 2>&1
}
run_side() {  # PAIR SIDE: every figure of one side
  local pair="$1" side="$2" bin="$out/$2"
  local cli="$bin/src/cli/brimwell-cli"
  rm -f "$scratch/$side-built.txt"  # a new list: nothing to take over
  timed "$pair" build "$side" "$cli" build --template "$template" --files 1000000 \
    --folders 30000 --target /mnt/scratch/ --seed 1 --list "$scratch/$side-built.txt"
  cp "$scratch/list.txt" "$scratch/$side-sort.txt"
  timed "$pair" sort-out "$side" "$cli" sort-out --list "$scratch/$side-sort.txt" --percent 15 \
    --seed 1 --yes
  timed "$pair" census "$side" "$cli" census "$census_tree" --template "$template"
  timed "$pair" measure "$side" "$cli" measure "$written_tree"
  rm -rf "$scratch/t"
  timed "$pair" writer "$side" "$bin/bench/writer_run" write "$scratch/writer-list.txt" \
    "$scratch/t"
  rm -rf "$scratch/t" "$scratch/e"
  "$floor" "$scratch/writer-list.txt" "$scratch/e" >/dev/null
  timed "$pair" erase "$side" "$bin/bench/fragmentation_run" erase "$scratch/writer-list.txt" \
    "$scratch/e"
}
run_floors() {  # PAIR: what the ratios are taken against, and the floors
  local pair="$1"
  timed "$pair" build-floor floor "$out/work/bench/build_floor" 1000000 30000 \
    "$scratch/floor-built.txt"
  rm -f "$scratch/floor-built.txt"
  timed "$pair" sort-out floor shuf -n 150000 "$scratch/list.txt"
  timed "$pair" census floor du -s --apparent-size "$census_tree"
  timed "$pair" walk floor "$out/work/bench/walk_floor" "$census_tree"
  timed "$pair" measure floor "$out/work/src/cli/brimwell-cli" census "$written_tree" \
    --template "$template"
  timed "$pair" measure-floor floor "$out/work/bench/walk_floor" --extents --free-space \
    "$written_tree"
  rm -rf "$scratch/t"
  timed "$pair" writer floor "$floor" "$scratch/writer-list.txt" "$scratch/t"
  rm -rf "$scratch/t" "$scratch/e"
  "$floor" "$scratch/writer-list.txt" "$scratch/e" >/dev/null
  timed "$pair" erase floor xargs -d '\n' -a "$scratch/erase-paths.txt" rm -f
}

load_before="$(cut -d' ' -f1-3 /proc/loadavg)"
started="$(date -u '+%Y-%m-%d %H:%M')"
for ((pair = 0; pair <= pairs; ++pair)); do  # pair 0 warms the caches and is not counted
  if ((pair % 2 == 0)); then order=(base work); else order=(work base); fi
  run_side "$pair" "${order[0]}"
  run_floors "$pair"
  run_side "$pair" "${order[1]}"
done
rm -rf "$scratch/t" "$scratch/e"
load_after="$(cut -d' ' -f1-3 /proc/loadavg)"

echo
echo "Commits: base $base_commit, work $work_commit"
echo "Machine: $(nproc) cores, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1)," \
  "$(uname -sr); $started UTC, load $load_before before, $load_after after; $pairs pairs"
python3 - "$times" <<'PY'
import statistics, sys
rows = [line.split() for line in open(sys.argv[1]) if line.strip() and line[0].isdigit()]
data = {}
for pair, figure, side, seconds, peak, user, system in rows:
    if int(pair) == 0:
        continue
    data.setdefault(figure, {}).setdefault(side, {})[int(pair)] = (
        float(seconds), int(peak), float(user) + float(system))
# (times of, competitor, floor, name, goal): the goal a ratio to the competitor, or for the
# build its seconds and MiB.
figures = [
    ("build", None, "build-floor", "build 1,000,000 files / 30,000 folders", (0.5, 200)),
    ("sort-out", "sort-out", "sort-out", "sort-out --percent 15 / shuf -n 150000", 1.2),
    ("census", "census", "walk", "census 200,000 files / du -s, warm", 0.6),
    ("measure", "measure", "measure-floor", "measure / census, 99,001 written files", 1.2),
    ("writer", "writer", "writer", "writer / its floor (writer_baseline), tmpfs", 1.05),
    ("erase", "erase", None, "erase / xargs rm -f, tmpfs", 0.9),
]
print("| figure | goal | base | work | work / floor (floor / competitor) | verdict "
      "| work / base, paired median (range) | | CPU: work / base |")
print("|---|---|---|---|---|---|---|---|---|")
median = statistics.median
for key, competitor, floor, name, goal in figures:
    sides = data[key]
    pairs = sorted(set(sides["base"]) & set(sides["work"]))
    def seconds(figure, side, p):
        return data[figure][side][p][0]
    def value(side, p):
        own = seconds(key, side, p)
        return own / max(seconds(competitor, "floor", p), 0.01) if competitor else own
    base = [value("base", p) for p in pairs]
    work = [value("work", p) for p in pairs]
    ratios = [w / max(b, 1e-9) for w, b in zip(work, base)]
    cpu = [max(sides["work"][p][2], 0.01) / max(sides["base"][p][2], 0.01) for p in pairs]
    mark = "WORSE" if median(ratios) > 1.10 and min(ratios) > 1.0 else ""
    if key == "build":
        peak = lambda side: median(sides[side][p][1] for p in pairs) / 1024
        base_text = f"{median(base):.3f} s, {peak('base'):.0f} MiB"
        work_text = f"{median(work):.3f} s, {peak('work'):.0f} MiB"
        goal_text = f"<= {goal[0]} s, <= {goal[1]} MiB"
        met = median(work) <= goal[0] and peak("work") <= goal[1]
    else:
        base_text, work_text = f"{median(base):.2f}x", f"{median(work):.2f}x"
        goal_text = f"<= {goal}"
        met = median(work) <= goal
    floor_text, floor_misses, within = "-", False, False
    if floor:
        to_floor = median(seconds(key, "work", p) / max(seconds(floor, "floor", p), 0.01)
                          for p in pairs)
        if competitor:
            own = median(seconds(floor, "floor", p) / max(seconds(competitor, "floor", p), 0.01)
                         for p in pairs)
            floor_text = f"{to_floor:.2f}x ({own:.2f}x)"
            floor_misses = own > goal
        else:
            own = median(seconds(floor, "floor", p) for p in pairs)
            floor_text = f"{to_floor:.2f}x ({own:.3f} s)"
            floor_misses = own > goal[0]
        within = to_floor <= 1.1
    verdict = "met" if met else "floor misses it" if floor_misses and within else "NOT MET"
    print(f"| {name} | {goal_text} | {base_text} | {work_text} | {floor_text} | {verdict} | "
          f"{median(ratios):.3f} ({min(ratios):.3f}-{max(ratios):.3f}) | {mark} | "
          f"{median(cpu):.3f} ({min(cpu):.3f}-{max(cpu):.3f}) |")
PY
