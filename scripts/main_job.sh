#!/usr/bin/env bash
# The main job without a window: builds a set of a few thousand files whose sizes follow the
# bundled size template, writes it with random bytes into a fresh folder under the build
# directory, deletes a random share of it to leave gaps in the free space, and says what it
# made and where.
#
# Usage: scripts/main_job.sh [BUILD_DIR]    (default build/release; brimwell-cli built there)
# BRIMWELL_FILES sets the number of files (default 3000).
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir="${1:-build/release}"
cli="$build_dir/src/cli/brimwell-cli"
template="templates/default.fs"
files="${BRIMWELL_FILES:-3000}"
percent=15

if [ ! -x "$cli" ]; then
  echo "brimwell-cli is not built in $build_dir; build it with:" >&2
  echo "  cmake --preset release && cmake --build --preset release --target brimwell-cli" >&2
  exit 1
fi

mkdir -p "$build_dir/main-job"
job="$(cd "$build_dir/main-job" && pwd)/$(date +%Y%m%d-%H%M%S)"
job="$(mktemp -d "$job-XXXX")"
target="$job/drive/"

cat <<INTRO
Brimwell main job: making an aged drive on demand, in a folder instead of a drive.
  1. Build a list of $files files in random folder trees, with sizes that follow the
     size template $template (a census of the file sizes under Debian's /usr).
  2. Write every file, filled with random bytes, under $target
  3. Pick $percent % of the files at random and delete them, as use and time do on a real
     drive, so the free space lies in gaps between the files that stay.

INTRO

# The tool's own progress (status lines, questions answered by --yes) goes to stderr;
# its summary comes on stdout.
summary="$("$cli" run --template "$template" --target "$target" --files "$files" \
  --percent "$percent" --yes)"

made="$(sed -n 's/^Wrote \([0-9]*\) files.*/\1/p' <<<"$summary")"
files_now="$(find "$target" -type f | wc -l)"
bytes_now="$(find "$target" -type f -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }')"
folders_now="$(find "$target" -mindepth 1 -type d | wc -l)"

cat <<RESULT

What brimwell-cli reported:
$(sed 's/^/  /' <<<"$summary")

What is on disk now under $target
  files:         $files_now ($(numfmt --to=iec-i --suffix=B "$bytes_now"), $bytes_now bytes)
  folders:       $folders_now
  files erased:  $((made - files_now)) of the $made written
To look around:  ls -R "$target" | less
To remove it:    rm -rf "$job"
The "seed:" line above repeats this exact job: add --seed with that number to
  $cli run --template $template --target DIR/ --files $files --percent $percent --yes
RESULT
