#!/usr/bin/env bash
# Starts Orvane.exe on samples/sample.tif under Wine and a private Xvfb and
# saves PNG screenshots of the main window and of the tag value window, at
# 96, 120 and 144 DPI (125 % and 150 %; Wine's LogPixels setting):
#   scripts/screenshot-viewer.sh [BUILD_DIR]     (default: build/win64)
# The pictures land in BUILD_DIR/screenshots/ (main-window-DPI.png,
# hex-window-DPI.png; the 96 DPI pair also as main-window.png, hex-window.png).
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

# Each window from its own contents: on Xvfb without a window manager a
# window shown wholly inside the main window (the tag value window above its
# button at 120 and 144 DPI, a message box) stays black on the screen,
# although it has drawn itself and shows at once when moved from outside.
shoot() { # window id, file
  xwd -id "$1" -silent | convert xwd:- "$2"
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

# The DPI a program sees is read when it starts; the prefix is left at the
# default again, whatever happens.
wine_reg() {
  (
    # shellcheck source=wine-common.sh
    . "$root/scripts/wine-common.sh"
    orvane_wine_env "$ORVANE_WINE_SESSION"
    "$ORVANE_WINE64" reg "$@" >/dev/null 2>&1
  )
}
set_dpi() { wine_reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f; }
reset_dpi() { wine_reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f || true; }

shoot_at() { # dpi
  local dpi=$1
  set_dpi "$dpi"
  # wine-common.sh sets root only inside wine_reg's subshell, to the same value.
  # shellcheck disable=SC2031
  "$root/scripts/wine-run.sh" "$exe" "Z:${sample//\//\\}" &
  app=$!
  main=$(wait_window "Kestrova  Orvane")
  sleep 1
  shoot "$main" "$out/main-window-$dpi.png"
  # Second row of the tag list, then "View Tag Value" (client coordinates
  # at 96 DPI, scaled like the layout).
  eval "$(xdotool getwindowgeometry --shell "$main")"
  click() { xdotool mousemove $((X + $1 * dpi / 96)) $((Y + $2 * dpi / 96)) click 1; sleep 0.3; }
  click 60 140
  click 300 372
  hex=$(wait_window "^(Image|Tag|[0-9])")
  # A loaded machine may map the window a while before it paints.
  sleep 2
  shoot "$hex" "$out/hex-window-$dpi.png"
  xdotool key --window "$hex" Escape 2>/dev/null || true
  sleep 0.3
  xdotool key --window "$main" alt+F4 2>/dev/null || true
  sleep 0.5
  kill "$app" 2>/dev/null || true
  wait "$app" || true
}

app=""
trap 'kill $app 2>/dev/null || true; reset_dpi' EXIT
for dpi in 96 120 144; do
  shoot_at "$dpi"
done
cp "$out/main-window-96.png" "$out/main-window.png"
cp "$out/hex-window-96.png" "$out/hex-window.png"
