#!/usr/bin/env bash
# Starts Orvane.exe on samples/sample.tif under Wine and a private Xvfb and
# saves PNG screenshots of the main window and of the tag value window:
#   scripts/screenshot-viewer.sh [BUILD_DIR]     (default: build/win64)
# The pictures land in BUILD_DIR/screenshots/.
set -eu -o pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build/win64}" && pwd)
exe=$(find "$build" -name Orvane.exe -print -quit)
[ -n "$exe" ] || { echo "no Orvane.exe under $build" >&2; exit 1; }
out="$build/screenshots"
mkdir -p "$out"
sample="$root/samples/sample.tif"

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

"$root/scripts/wine-run.sh" "$exe" "Z:${sample//\//\\}" &
app=$!
trap 'kill $app 2>/dev/null || true' EXIT
main=$(wait_window "Kestrova  Orvane")
sleep 1
shoot "$main" "$out/main-window.png"

# Second row of the tag list, then "View Tag Value" (client coordinates).
eval "$(xdotool getwindowgeometry --shell "$main")"
click() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; sleep 0.3; }
click 60 140
click 300 372
hex=$(wait_window "^(Image|Tag|[0-9])")
sleep 0.5
shoot "$hex" "$out/hex-window.png"
xdotool key --window "$hex" Escape
sleep 0.3
xdotool key --window "$main" alt+F4 || true
wait $app || true
