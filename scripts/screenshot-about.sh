#!/usr/bin/env bash
# Starts Orvane.exe under Wine and a private Xvfb and saves PNG screenshots of
# the About tab and of the manual (F1), at its top and scrolled down:
#   scripts/screenshot-about.sh [BUILD_DIR]     (default: build/win64)
# The pictures land in BUILD_DIR/screenshots/.
set -eu -o pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=wine-common.sh
. "$root/scripts/wine-common.sh"
orvane_screenshot_start "$0" "${1:-$root/build/win64}"
exe=$ORVANE_SHOT_EXE out=$ORVANE_SHOT_DIR

"$root/scripts/wine-run.sh" "$exe" &
app=$!
trap 'kill $app 2>/dev/null || true' EXIT
main=$(orvane_wait_window "Kestrova  Orvane")
sleep 1
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove $((X + 95)) $((Y + 42)) click 1 # the "About" tab
sleep 1
orvane_shot_window "$main" "$out/about-tab.png"

xdotool key --window "$main" F1
help=$(orvane_wait_window "^Orvane Manual")
sleep 1.5
orvane_shot_window "$help" "$out/manual-top.png"
eval "$(xdotool getwindowgeometry --shell "$help")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
for _ in $(seq 15); do xdotool click 5; done # wheel down
sleep 1
orvane_shot_window "$help" "$out/manual-scrolled.png"
xdotool key --window "$main" alt+F4 || true
sleep 0.5
kill "$app" 2>/dev/null || true
wait "$app" || true
