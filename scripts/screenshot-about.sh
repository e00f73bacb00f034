#!/usr/bin/env bash
# Starts Orvane.exe under Wine and a private Xvfb and saves PNG screenshots of
# the About tab and of the manual (F1), at its top and scrolled down:
#   scripts/screenshot-about.sh [BUILD_DIR]     (default: build/win64)
# The pictures land in BUILD_DIR/screenshots/.
set -eu
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build/win64}" && pwd)
exe=$(find "$build" -name Orvane.exe -print -quit)
[ -n "$exe" ] || { echo "no Orvane.exe under $build" >&2; exit 1; }
out="$build/screenshots"
mkdir -p "$out"

if [ -z "${ORVANE_WINE_SESSION:-}" ]; then
  exec "$root/scripts/wine-session.sh" "$build" "$0" "$build"
fi

shoot() { # window id, file
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xwd -root -silent | convert xwd:- -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
  echo "saved $2"
}

wait_window() { # name pattern
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "window '$1' did not appear" >&2
  return 1
}

"$root/scripts/wine-run.sh" "$exe" &
app=$!
trap 'kill $app 2>/dev/null || true' EXIT
main=$(wait_window "Kestrova  Orvane")
sleep 1
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove $((X + 95)) $((Y + 42)) click 1 # the "About" tab
sleep 1
shoot "$main" "$out/about-tab.png"

xdotool key --window "$main" F1
help=$(wait_window "^Orvane Manual")
sleep 1.5
shoot "$help" "$out/manual-top.png"
eval "$(xdotool getwindowgeometry --shell "$help")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
for _ in $(seq 15); do xdotool click 5; done # wheel down
sleep 1
shoot "$help" "$out/manual-scrolled.png"
xdotool key --window "$main" alt+F4 || true
wait $app || true
