#!/usr/bin/env bash
# Runs a Windows program under Wine: wine-run.sh PROGRAM.exe [ARGS...]
#
# The CMAKE_CROSSCOMPILING_EMULATOR of the Windows presets, and the way to
# start the program by hand. The Wine prefix lives in "wine/" under the build
# folder of the program (the folder holding CMakeCache.txt). The program's
# exit code is passed through; 77 means "cannot run here" (a 32-bit program
# on a machine where wine32 is missing or cannot start).
#
# Inside a session opened by wine-session.sh (ORVANE_WINE_SESSION set) the
# program simply runs in it. Otherwise this run opens its own session (a
# private Xvfb when DISPLAY is unset, wineserver, prefix) and stops it at the
# end, also when the program fails or the run is killed. Such runs on one
# build folder take turns.
set -u -o pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=wine-common.sh
. "$here/wine-common.sh"

if [ $# -lt 1 ]; then
  echo "usage: wine-run.sh PROGRAM.exe [ARGS...]" >&2
  exit 2
fi
exe=$1; shift
if [ ! -f "$exe" ]; then
  orvane_log "no such program: $exe"
  exit 2
fi
exe="$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")"

if ! loader=$(orvane_wine_loader "$exe"); then
  echo "skipped: $loader (cannot run the 32-bit $(basename "$exe"))" >&2
  exit "$ORVANE_SKIP_CODE"
fi

if [ -n "${ORVANE_WINE_SESSION:-}" ]; then
  orvane_wine_env "$ORVANE_WINE_SESSION"
  # In the background with stdin kept, so that a signal to this script ends
  # the program at once, as when the script is the program. A run that Wine
  # ends by a crash signal fails like any other: nothing runs it again.
  exec 3<&0
  "${ORVANE_NO_ASLR[@]}" "$loader" "$exe" "$@" <&3 3<&- &
  child=$!
  trap 'kill "$child" 2>/dev/null; exit 143' TERM INT HUP
  wait "$child"
  exit $?
fi

orvane_wine_env "$(orvane_build_root "$(dirname "$exe")")"
orvane_session_open || exit 1
# In the background so that a signal to this script is handled at once (the
# trap then stops the session, the program with it); stdin stays the caller's.
exec 3<&0
"${ORVANE_NO_ASLR[@]}" "$loader" "$exe" "$@" <&3 3<&- 8>&- &
wait $!
exit $?
