#!/bin/sh
# Times the writer and the erase pass side by side with their plain counterparts.
#
#   bench/writer_compare.sh BUILD_DIR tmpfs|ext4|erase [ROUNDS] [WORK_DIR]
#
# tmpfs: writer_run against writer_baseline (the same calls and random bytes) on /dev/shm,
#        each run into emptied folders.
# ext4:  the same pair on the disk; every run writes into a new folder (--fresh), so nothing
#        is deleted while timing (ext4 creates files slowly for about a minute after a mass
#        delete); `sync` before each run starts it without dirty pages. The folders are
#        removed at the end: wait a minute before timing on this disk again.
# erase: fragmentation_run erase against `xargs rm -f` on /dev/shm, the files made afresh
#        (by writer_baseline) before each run.
#
# The machine is shared, so the pair runs in ROUNDS short hyperfine rounds (3 runs of each
# command a round) rather than one long one: load that comes and goes then hits both
# commands alike. Printed: the median over all runs of each command, and the median of the
# per-round ratios of each command to the last one.
#
# RUNS (default 3) sets the runs of each command a round; with RUNS=1 and many rounds the
# commands take turns run by run, which suits a machine whose load changes by the second.
# With BEFORE set to another writer_run (an earlier build) in tmpfs mode, it runs in the
# same rounds as a third command, so a change is measured against what it replaces.
set -eu
bin="$1/bench"
mode="$2"
rounds="${3:-8}"
runs="${RUNS:-3}"
case "$mode" in
  ext4) work="${4:-/var/tmp/brimwell-writer-bench}" ;;
  *) work="${4:-/dev/shm/brimwell-writer-bench}" ;;
esac
mkdir -p "$work"
list="$work/list.txt"
"$bin/writer_run" generate "$list" 20000 800 1

pair() {  # prepare command... (the last one is what the others are compared with)
  prepare="$1"
  shift
  i=1
  while [ "$i" -le "$rounds" ]; do
    hyperfine -N --style none --warmup 1 --runs "$runs" --prepare "$prepare" "$@" \
      --export-json "$work/$mode-round$i.json" > /dev/null
    i=$((i + 1))
  done
  python3 - "$work" "$mode" "$rounds" <<'PY'
import json, statistics, sys
work, mode, rounds = sys.argv[1], sys.argv[2], int(sys.argv[3])
times, ratios, cpu = None, None, None
for i in range(1, rounds + 1):
    results = json.load(open(f"{work}/{mode}-round{i}.json"))["results"]
    if times is None:
        n = len(results)
        times, ratios, cpu = [[] for _ in results], [[] for _ in results], [[] for _ in results]
    for k in range(n):
        times[k] += results[k]["times"]
        cpu[k].append(results[k]["user"] + results[k]["system"])
        ratios[k].append(results[k]["median"] / results[-1]["median"])
    commands = [r["command"] for r in results]
for k in range(n):
    print(f"{statistics.median(times[k]) * 1000:9.1f} ms median of {len(times[k])} runs, "
          f"user+sys {statistics.median(cpu[k]) * 1000:7.1f} ms: {commands[k]}")
for k in range(n - 1):
    print(f"per-round ratios to the last: {' '.join(f'{r:.3f}' for r in ratios[k])}, "
          f"median {statistics.median(ratios[k]):.3f}: {commands[k]}")
PY
}

case "$mode" in
  tmpfs)
    pair "rm -rf $work/t" "$bin/writer_run write $list $work/t" \
      ${BEFORE:+"$BEFORE write $list $work/t"} "$bin/writer_baseline $list $work/t"
    rm -rf "$work/t"
    ;;
  ext4)
    pair sync "$bin/writer_run write $list $work/t --fresh" \
      "$bin/writer_baseline $list $work/t --fresh"
    rm -rf "$work/t"
    ;;
  erase)
    cut -f1 "$list" | sed "s#^#$work/e/#" > "$work/paths.txt"
    pair "$bin/writer_baseline $list $work/e" "$bin/fragmentation_run erase $list $work/e" \
      "xargs -d '\n' -a $work/paths.txt rm -f"
    rm -rf "$work/e"
    ;;
  *) echo "unknown mode $mode" >&2; exit 2 ;;
esac
