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
# The command itself (ctest, a shell) keeps the caller's home.
HOME=$real_home "$@" 8>&-
exit $?
