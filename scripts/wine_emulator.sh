#!/bin/sh
# Runs one Windows program under Wine: the cross-built tests' emulator.
#
#   wine_emulator.sh program.exe [arguments...]
#   wine_emulator.sh --drive-d      prints the Linux folder that is drive d: in the prefix
#   wine_emulator.sh --stop         stops this prefix's Wine server
#
# All runs share one Wine prefix in a temporary folder (BRIMWELL_WINE_ROOT, by default
# $TMPDIR/brimwell-wine-<uid>), made on first use. Drive d: of the prefix is linked to the
# folder "d" beside it, so tests can write to d:\ paths.
#
# Windows get no display unless BRIMWELL_WINE_DISPLAY names an X display (the test command
# starts a virtual one): then the runs use it, in a prefix of their own ("-display" added
# to the folder's name), since a Wine server keeps the display it started with.
#
# The Wine server and the helper processes Wine starts with it (services, explorer, ...)
# outlive the program. They are started here with their input and output on /dev/null
# before the program runs: otherwise they would inherit the test runner's output pipe and
# hold it open, and ctest (or ninja, during test discovery) would wait for them.
set -eu

root=${BRIMWELL_WINE_ROOT:-${TMPDIR:-/tmp}/brimwell-wine-$(id -u)}
if [ -n "${BRIMWELL_WINE_DISPLAY:-}" ]; then
  root=$root-display
fi
export WINEPREFIX="$root/prefix"
export WINEDEBUG=-all
# No Mono or Gecko install prompts, no menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
if [ -n "${BRIMWELL_WINE_DISPLAY:-}" ]; then
  export DISPLAY="$BRIMWELL_WINE_DISPLAY"
fi
wine=${BRIMWELL_WINE:-wine}

case "${1:-}" in
  --drive-d)
    echo "$root/d"
    exit 0
    ;;
  --stop)
    wineserver -k >/dev/null 2>&1 || true
    exit 0
    ;;
  "")
    echo "usage: $0 program.exe [arguments...]" >&2
    exit 2
    ;;
esac

mkdir -p "$root/d"
(
  # One runner at a time makes the prefix and starts the server; later ones pass quickly.
  # Nothing started here may inherit the lock's descriptor (9>&-): the server and the
  # helpers outlive this script and would hold the lock for good.
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot --init </dev/null >/dev/null 2>&1 9>&- || true
    wineserver --wait </dev/null >/dev/null 2>&1 9>&- || true
  fi
  ln -sfn "$root/d" "$WINEPREFIX/dosdevices/d:"
  # Keeps the server (and with it the helpers) up for a minute after the last program
  # ends. It fails at once when a server is running already; when it starts one, the
  # first program of that server starts Wine's helpers: let that be a quiet one.
  if wineserver --persistent=60 </dev/null >/dev/null 2>&1 9>&-; then
    "$wine" cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
  fi
) 9>"$root.lock"

exec "$wine" "$@"
