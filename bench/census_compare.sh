#!/usr/bin/env bash
# The census against du, gdu, ncdu and the two-thread floor on the tree of census_vs_du.sh,
# run in interleaved rounds (each round runs every command once, in turn), warm or cold.
#
#   bench/census_compare.sh warm|cold [ROUNDS] [TREE] [BUILD] [BEFORE]
#
# BUILD is a Release build folder with census_bench and walk_floor (default build/ci);
# BEFORE, when given, is another census_bench timed beside it (the previous version).
# "cold" drops the page, dentry and inode caches before every command (root only).
# Prints the median wall time, CPU time and their ratios to du, and (warm) each command's
# peak memory from one more run under /usr/bin/time.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
mode="${1:?warm or cold}"
rounds="${2:-7}"
tree="${3:-/tmp/brimwell-census-tree}"
build="${4:-$root/build/ci}"
before="${5:-}"
[[ -f "$tree/.complete" ]] || { echo "no tree: run bench/census_vs_du.sh first" >&2; exit 1; }

commands=("du -s --apparent-size $tree")
[[ -n "$before" ]] && commands+=("$before --census=$tree --template=$root/templates/default.fs")
commands+=("$build/bench/census_bench --census=$tree --template=$root/templates/default.fs"
           "$build/bench/walk_floor $tree"
           "gdu -n $tree"
           "ncdu -0 -o /dev/null $tree")
uptime
python3 - "$mode" "$rounds" "${commands[@]}" <<'PY'
import os, shlex, statistics, subprocess, sys, time
mode, rounds, commands = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
def drop():
    subprocess.run(["sync"], check=True)
    with open("/proc/sys/vm/drop_caches", "w") as f:
        f.write("3\n")
def once(command):
    start = time.perf_counter()
    proc = subprocess.Popen(shlex.split(command), stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.perf_counter() - start
    assert status == 0, command
    return wall, usage.ru_utime + usage.ru_stime
if mode == "warm":
    for command in commands:
        once(command)
results = {c: [] for c in commands}
for _ in range(rounds):
    for command in commands:
        if mode == "cold":
            drop()
        results[command].append(once(command))
du = results[commands[0]]
du_wall = statistics.median(r[0] for r in du)
du_cpu = statistics.median(r[1] for r in du)
print(f"{mode}, {rounds} rounds; medians")
print(f"| Command | Wall | Ratio to du | CPU | CPU ratio | Peak memory |")
print(f"|---|---|---|---|---|---|")
for command in commands:
    runs = results[command]
    wall = statistics.median(r[0] for r in runs)
    cpu = statistics.median(r[1] for r in runs)
    peak = "-"
    if mode == "warm":
        timed = subprocess.run(["/usr/bin/time", "-f", "%M", *shlex.split(command)],
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        peak = f"{int(timed.stderr.split()[-1]) / 1024:.1f} MiB"
    print(f"| `{command}` | {wall * 1000:.0f} ms | {wall / du_wall:.2f} | {cpu * 1000:.0f} ms"
          f" | {cpu / du_cpu:.2f} | {peak} |")
PY
uptime
