#!/usr/bin/env bash
# Opens one Wine session for a build folder, runs a command in it and closes
# the session: wine-session.sh BUILD_DIR COMMAND [ARGS...]
#
# Every wine-run.sh started by the command (for example by ctest) reuses the
# session's display, wineserver and prefix instead of setting up its own,
# which makes a Windows test cost milliseconds instead of seconds. The
# command's exit code is passed through.
set -u -o pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=wine-common.sh
. "$here/wine-common.sh"

if [ $# -lt 2 ]; then
  echo "usage: wine-session.sh BUILD_DIR COMMAND [ARGS...]" >&2
  exit 2
fi
root=$(orvane_build_root "$1") || exit 2
shift
real_home=$HOME
orvane_wine_env "$root"
orvane_session_open || exit 1
export ORVANE_WINE_SESSION="$root"
# The command itself (ctest, a shell) keeps the caller's home. It runs in
# the background with stdin kept, so that a signal to this script is handled
# at once: the command is ended first, then the session, and no test is left
# to start Wine again without it.
exec 3<&0
HOME=$real_home "$@" <&3 3<&- 8>&- &
child=$!
trap 'kill "$child" 2>/dev/null; wait "$child"; exit 143' TERM HUP
trap 'kill -INT "$child" 2>/dev/null; wait "$child"; exit 130' INT
wait "$child"
exit $?
