#!/usr/bin/env bash
# Runs "Orvane.exe /install" and then the installed copy's "/uninstall" under
# Wine and a private Xvfb, pressing keys as a user would, and saves PNGs of
# the background with the wizard, each wizard page, the folder browser and
# the uninstaller's pages:
#   scripts/screenshot-install.sh [BUILD_DIR]     (default: build/win64)
# The pictures land in BUILD_DIR/screenshots/. The build's Wine prefix gets
# the installation and loses it again at the end.
set -eu
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build/win64}" && pwd)
exe=$(find "$build" -name Orvane.exe -path '*src/app*' -print -quit)
[ -n "$exe" ] || { echo "no Orvane.exe under $build" >&2; exit 1; }
out="$build/screenshots"
mkdir -p "$out"

if [ -z "${ORVANE_WINE_SESSION:-}" ]; then
  exec "$root/scripts/wine-session.sh" "$build" "$0" "$build"
fi

screen() { xwd -root -silent | convert xwd:- "$1"; echo "saved $1"; }
shoot() { # window id, file
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xwd -root -silent | convert xwd:- -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
  echo "saved $2"
}
wait_window() { # name pattern
  for _ in $(seq 150); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "window '$1' did not appear" >&2
  return 1
}
# A click at client coordinates of a wizard (Wine draws a 3-pixel frame and a
# 19-pixel caption around the client area).
click() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + 3 + $2)) $((Y + 22 + $3)) click 1
  sleep 0.7
}
next() { click "$1" 290 220; }

"$root/scripts/wine-run.sh" "$exe" /install &
app=$!
trap 'kill $app 2>/dev/null || true' EXIT
wizard=$(wait_window '^Installer$')
sleep 1
screen "$out/install-background.png"
shoot "$wizard" "$out/install-page0.png"
next "$wizard"
shoot "$wizard" "$out/install-page1.png"
click "$wizard" 380 100 # Browse
browser=$(wait_window '^Browse for Orvane directory')
sleep 1
screen "$out/folder-browser-screen.png"
shoot "$browser" "$out/folder-browser.png"
for _ in $(seq 20); do
  xdotool search --onlyvisible --name '^Browse for Orvane directory' >/dev/null 2>&1 || break
  xdotool key Escape; sleep 0.3
done
next "$wizard"
sleep 1
shoot "$wizard" "$out/install-page3.png"
next "$wizard"
wait $app || true

installed="$build/wine/prefix/drive_c/Program Files/Kestrova/Orvane/Orvane.exe"
"$root/scripts/wine-run.sh" "$installed" /uninstall &
app=$!
wizard=$(wait_window '^Uninstaller$')
sleep 1
shoot "$wizard" "$out/uninstall-page0.png"
next "$wizard"
sleep 1
shoot "$wizard" "$out/uninstall-page2.png"
next "$wizard"
wait $app || true
