#!/usr/bin/env bash
# Runs "Orvane.exe /install" and then the installed copy's "/uninstall" under
# Wine and a private Xvfb, pressing keys as a user would, and saves PNGs of
# the background with the wizard, each wizard page, the folder browser and
# the uninstaller's pages:
#   scripts/screenshot-install.sh [BUILD_DIR]     (default: build/win64)
# The pictures land in BUILD_DIR/screenshots/. The build's Wine prefix gets
# the installation and loses it again at the end.
set -eu -o pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=wine-common.sh
. "$root/scripts/wine-common.sh"
orvane_screenshot_start "$0" "${1:-$root/build/win64}"
build=$ORVANE_SHOT_BUILD exe=$ORVANE_SHOT_EXE out=$ORVANE_SHOT_DIR

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
wizard=$(orvane_wait_window '^Installer$')
sleep 1
orvane_shot_screen "$out/install-background.png"
orvane_shot_window "$wizard" "$out/install-page0.png"
next "$wizard"
orvane_shot_window "$wizard" "$out/install-page1.png"
click "$wizard" 380 100 # Browse
browser=$(orvane_wait_window '^Browse for Orvane directory')
sleep 1
orvane_shot_screen "$out/folder-browser-screen.png"
orvane_shot_window "$browser" "$out/folder-browser.png"
for _ in $(seq 20); do
  xdotool search --onlyvisible --name '^Browse for Orvane directory' >/dev/null 2>&1 || break
  xdotool key Escape; sleep 0.3
done
next "$wizard"
sleep 1
orvane_shot_window "$wizard" "$out/install-page3.png"
next "$wizard"
wait $app || true

installed="$build/wine/prefix/drive_c/Program Files/Kestrova/Orvane/Orvane.exe"
"$root/scripts/wine-run.sh" "$installed" /uninstall &
app=$!
wizard=$(orvane_wait_window '^Uninstaller$')
sleep 1
orvane_shot_window "$wizard" "$out/uninstall-page0.png"
next "$wizard"
sleep 1
orvane_shot_window "$wizard" "$out/uninstall-page2.png"
next "$wizard"
wait $app || true
