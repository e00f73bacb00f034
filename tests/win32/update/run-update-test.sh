#!/usr/bin/env bash
# The update cycle under Wine against a real web server on 127.0.0.1:80:
# run-update-test.sh DRIVER.exe E2E-FOLDER SITE-SERVER.py
# Each scenario gets its own server; every server and Wine session started
# here is stopped on the way out, also on failure.
set -u
driver=$1 e2e=$2 serverScript=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../../.." && pwd)
# One Wine session (and display) for every scenario and the screenshots.
if [ -z "${ORVANE_WINE_SESSION:-}" ]; then
  exec "$repo/scripts/wine-session.sh" "$(dirname "$e2e")" bash "${BASH_SOURCE[0]}" "$@"
fi
# shellcheck source=scripts/wine-common.sh
. "$repo/scripts/wine-common.sh"
winPath() { echo "Z:${1//\//\\}"; }
old=$e2e/2.00/update-site/imaging/tiff/orvane/installer.exe
site=$e2e/2.01/update-site
for f in "$old" "$site/imaging/tiff/orvane/installer.exe"; do
  [ -f "$f" ] || { echo "missing $f (build the target update_e2e_programs)"; exit 1; }
done

serverPid=
stopServer() {
  if [ -n "$serverPid" ]; then kill "$serverPid" 2>/dev/null; wait "$serverPid" 2>/dev/null; fi
  serverPid=
}
trap stopServer EXIT INT TERM

startServer() {
  local ready=$e2e/server.out
  : >"$ready"
  python3 "$serverScript" "$site" "$1" >"$ready" 2>"$e2e/server-$1.log" &
  serverPid=$!
  for _ in $(seq 100); do
    grep -q ready "$ready" && return 0
    kill -0 "$serverPid" 2>/dev/null || break
    sleep 0.1
  done
  echo "the web server on 127.0.0.1:80 did not start:"; cat "$e2e/server-$1.log"
  exit 1
}

shots=$(dirname "$e2e")/screenshots
mkdir -p "$shots"
rm -f "$shots"/*.done
rc=0
for scenario in ${ORVANE_UPDATE_SCENARIOS:-update no-installer portal slow handover-locked handover-readonly}; do
  startServer "$scenario"
  # The driver prints "screenshot NAME" while the update window shows what
  # NAME names, and waits for NAME.done.
  "$repo/scripts/wine-run.sh" "$driver" "$scenario" "$(winPath "$old")" "$(winPath "$site")" \
      "$(winPath "$shots")" |
    while IFS= read -r line; do
      line=${line%$'\r'}
      echo "$line"
      case $line in
        "screenshot "*)
          name=${line#screenshot }
          if id=$(orvane_wait_window '^Orvane Update$'); then
            orvane_shot_window "$id" "$shots/$name.png"
          else
            echo "(no screenshot: $name)"
          fi
          touch "$shots/$name.done" ;;
      esac
    done
  status=${PIPESTATUS[0]}
  stopServer
  echo "scenario $scenario: exit $status"
  [ "$status" -eq 0 ] || rc=1
done
exit $rc
