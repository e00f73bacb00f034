#!/usr/bin/env bash
# Starts Orvane.exe on samples/sample.tif under Wine and a private Xvfb and
# saves PNG screenshots of the main window and of the tag value window, at
# 96, 120 and 144 DPI (125 % and 150 %; Wine's LogPixels setting), and of
# the value window's decoded view of an XMP packet with non-Latin text (a
# copy of the sample that exiftool adds it to):
#   scripts/screenshot-viewer.sh [BUILD_DIR]     (default: build/win64)
# The pictures land in BUILD_DIR/screenshots/ (main-window-DPI.png,
# hex-window-DPI.png, decoded-window-DPI.png; the 96 DPI ones also as
# main-window.png, hex-window.png, decoded-window.png).
set -eu -o pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=wine-common.sh
. "$root/scripts/wine-common.sh"
orvane_screenshot_start "$0" "${1:-$root/build/win64}"
exe=$ORVANE_SHOT_EXE out=$ORVANE_SHOT_DIR
sample="$root/samples/sample.tif"
# XMP (tag 700) comes last on the copy's first page.
xmp_sample="$out/sample-xmp.tif"
rm -f "$xmp_sample"
exiftool -q -o "$xmp_sample" \
  "-XMP-dc:Title=Hafen – Ωμέγα Привет 日本" "-XMP-dc:Creator=Zoë Łukasiewicz" "$sample"

# The DPI a program sees is read when it starts; the prefix is left at the
# default again, whatever happens.
wine_reg() {
  (
    orvane_wine_env "$ORVANE_WINE_SESSION"
    "${ORVANE_NO_ASLR[@]}" "$ORVANE_WINE64" reg "$@" >/dev/null 2>&1
  )
}
set_dpi() { wine_reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f; }
reset_dpi() { wine_reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f || true; }

start_viewer() { # file
  "$root/scripts/wine-run.sh" "$exe" "Z:${1//\//\\}" &
  app=$!
  main=$(orvane_wait_window "Kestrova  Orvane")
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$main")"
}

# Client coordinates at 96 DPI, scaled like the layout.
click() { xdotool mousemove $((X + $1 * dpi / 96)) $((Y + $2 * dpi / 96)) click 1; sleep 0.3; }

stop_viewer() {
  # Ended with its tag value window open, not closed by keys: the next DPI's
  # viewer was seen to receive an Alt+F4 too and end before its window
  # appeared, and after an Escape sent to the tag value window no later
  # viewer opened one on a click.
  kill "$app" 2>/dev/null || true
  wait "$app" || true
}

shoot_at() { # dpi
  local dpi=$1
  set_dpi "$dpi"
  start_viewer "$sample"
  orvane_shot_window "$main" "$out/main-window-$dpi.png"
  # Second row of the tag list, then "View Tag Value".
  click 60 140
  click 300 372
  hex=$(orvane_wait_window "^(Image|Tag|[0-9])")
  # A loaded machine may map the window a while before it paints.
  sleep 2
  orvane_shot_window "$hex" "$out/hex-window-$dpi.png"
  stop_viewer
  [ -f "$xmp_sample" ] || return 0
  # The last row (XMP), its value window, and Alt+D for the decoded view.
  start_viewer "$xmp_sample"
  click 60 140
  xdotool key End
  sleep 0.3
  click 300 372
  hex=$(orvane_wait_window "^(700|XMP)")
  sleep 1
  xdotool key alt+d
  sleep 2
  orvane_shot_window "$hex" "$out/decoded-window-$dpi.png"
  stop_viewer
}

app=""
trap 'kill $app 2>/dev/null || true; reset_dpi' EXIT
for dpi in 96 120 144; do
  shoot_at "$dpi"
done
cp "$out/main-window-96.png" "$out/main-window.png"
cp "$out/hex-window-96.png" "$out/hex-window.png"
if [ -f "$out/decoded-window-96.png" ]; then
  cp "$out/decoded-window-96.png" "$out/decoded-window.png"
fi
