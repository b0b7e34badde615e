#!/usr/bin/env bash
# Lists the tests a ctest JUnit report (ctest --output-junit, the test presets' junit.xml)
# shows as skipped, one a line: KIND <tab> TEST <tab> REASON. The reason is the message a
# test gave when it skipped itself. KIND says what would make it run:
#   setup   the machine: root, loop devices or an installed tool (CI provides all three)
#   kernel  a kernel with the file system the test mounts (Btrfs, FUSE)
#   other   anything else (a display, a drive under Wine ...)
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 JUNIT_FILE" >&2; exit 2; }
awk '
  function unescape(text) {
    gsub(/&lt;/, "<", text); gsub(/&gt;/, ">", text); gsub(/&quot;/, "\"", text)
    gsub(/&apos;/, "\047", text); gsub(/&amp;/, "\\&", text)
    return text
  }
  function kind(reason) {
    if (reason ~ /^kernel lacks/) return "kernel"
    if (reason ~ /needs root|no loop devices|is not installed/) return "setup"
    return "other"
  }
  /<testcase / {
    match($0, /name="[^"]*"/)
    name = unescape(substr($0, RSTART + 6, RLENGTH - 7))
    skipped = $0 ~ /status="notrun"/
    reason = ""; reasonNext = 0
    next
  }
  skipped && reasonNext { reason = unescape($0); reasonNext = 0; next }
  skipped && /: Skipped$/ { reasonNext = 1; next }
  /<\/testcase>/ {
    if (skipped) {
      if (reason == "") reason = "no reason given"
      printf "%s\t%s\t%s\n", kind(reason), name, reason
    }
    skipped = 0
  }
' "$1"
