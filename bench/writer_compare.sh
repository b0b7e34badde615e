#!/bin/sh
# Times the writer and the erase pass side by side with their plain counterparts.
#
#   bench/writer_compare.sh BUILD_DIR tmpfs|ext4|erase [WORK_DIR]
#
# tmpfs: writer_run against writer_baseline on /dev/shm, each run into emptied folders.
# ext4:  the same pair on the disk; every run writes into a new folder (--fresh), so nothing
#        is deleted while timing (ext4 creates files slowly for about a minute after a mass
#        delete); `sync` before each run starts it without dirty pages. The folders are
#        removed at the end: wait a minute before timing on this disk again.
# erase: fragmentation_run erase against `xargs rm -f` on /dev/shm, the files made afresh
#        (by writer_baseline) before each run.
set -eu
bin="$1/bench"
mode="$2"
case "$mode" in
  ext4) work="${3:-/var/tmp/brimwell-writer-bench}" ;;
  *) work="${3:-/dev/shm/brimwell-writer-bench}" ;;
esac
mkdir -p "$work"
list="$work/list.txt"
"$bin/writer_run" generate "$list" 20000 800 1
case "$mode" in
  tmpfs)
    hyperfine -N --warmup 2 --runs 20 --prepare "rm -rf $work/t" \
      "$bin/writer_run write $list $work/t" "$bin/writer_baseline $list $work/t" \
      --export-json "$work/tmpfs.json"
    rm -rf "$work/t"
    ;;
  ext4)
    hyperfine -N --warmup 1 --runs 8 --prepare sync \
      "$bin/writer_run write $list $work/t --fresh" \
      "$bin/writer_baseline $list $work/t --fresh" --export-json "$work/ext4.json"
    rm -rf "$work/t"
    ;;
  erase)
    cut -f1 "$list" | sed "s#^#$work/e/#" > "$work/paths.txt"
    hyperfine -N --warmup 1 --runs 20 --prepare "$bin/writer_baseline $list $work/e" \
      "$bin/fragmentation_run erase $list $work/e" "xargs -d '\n' -a $work/paths.txt rm -f" \
      --export-json "$work/erase.json"
    rm -rf "$work/e"
    ;;
  *) echo "unknown mode $mode" >&2; exit 2 ;;
esac
