#!/usr/bin/env bash
# Starts Orvane.exe on samples/sample.tif under Wine and a private Xvfb and
# saves PNG screenshots of the main window, its Structure tab and the tag
# value window, at 96, 120 and 144 DPI (125 % and 150 %; Wine's LogPixels
# setting), and of the value window's decoded view of an XMP packet with
# non-Latin text (a copy of the sample that exiftool adds it to):
#   scripts/screenshot-viewer.sh [BUILD_DIR]     (default: build/win64)
# The pictures land in BUILD_DIR/screenshots/ (main-window-DPI.png,
# structure-tab-DPI.png, hex-window-DPI.png, decoded-window-DPI.png; the
# 96 DPI ones also without the DPI in their names).
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

# Starts the viewer on a file at a DPI and waits for its window ($main);
# click takes window coordinates at 96 DPI, scaled like the layout.
start_viewer() { # dpi file
  dpi=$1
  set_dpi "$dpi"
  "$root/scripts/wine-run.sh" "$exe" "Z:${2//\//\\}" &
  app=$!
  main=$(orvane_wait_window "Kestrova  Orvane")
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$main")"
}
click() { xdotool mousemove $((X + $1 * dpi / 96)) $((Y + $2 * dpi / 96)) click 1; sleep 0.3; }
end_viewer() {
  kill "$app" 2>/dev/null || true
  wait "$app" || true
}

shoot_at() { # dpi
  start_viewer "$1" "$sample"
  orvane_shot_window "$main" "$out/main-window-$dpi.png"
  # Second row of the tag list, then "View Tag Value".
  click 60 140
  click 300 372
  hex=$(orvane_wait_window "^(Image|Tag|[0-9])")
  # A loaded machine may map the window a while before it paints.
  sleep 2
  orvane_shot_window "$hex" "$out/hex-window-$dpi.png"
  # Ended with its tag value window open, not closed by keys: the next DPI's
  # viewer was seen to receive an Alt+F4 too and end before its window
  # appeared, and after an Escape sent to the tag value window no later
  # viewer opened one on a click.
  end_viewer
}

# The last row (XMP) of the copy with non-Latin XMP, its value window, and
# Alt+D for the decoded view.
shoot_decoded_at() { # dpi
  [ -f "$xmp_sample" ] || return 0
  start_viewer "$1" "$xmp_sample"
  click 60 140
  xdotool key End
  sleep 0.3
  click 300 372
  hex=$(orvane_wait_window "^(700|XMP)")
  sleep 1
  xdotool key alt+d
  sleep 2
  orvane_shot_window "$hex" "$out/decoded-window-$dpi.png"
  end_viewer
}

# The Structure tab on the sample with EXIF and GPS directories added: the
# first page opened (its button) and its EXIF directory selected.
shoot_structure_at() { # dpi
  start_viewer "$1" "$structured"
  click 96 42
  click 32 71
  click 100 88
  sleep 2
  orvane_shot_window "$main" "$out/structure-tab-$dpi.png"
  end_viewer
}

structured="$out/sample-exif-gps.tif"
rm -f "$structured"
exiftool -q -o "$structured" -ExposureTime=1/250 -GPSLatitude=48.8584 -GPSLatitudeRef=N \
  -GPSLongitude=2.2945 -GPSLongitudeRef=E "$sample"

app=""
trap 'kill $app 2>/dev/null || true; reset_dpi' EXIT
for dpi in 96 120 144; do
  shoot_at "$dpi"
  shoot_decoded_at "$dpi"
  shoot_structure_at "$dpi"
done
cp "$out/main-window-96.png" "$out/main-window.png"
cp "$out/hex-window-96.png" "$out/hex-window.png"
if [ -f "$out/decoded-window-96.png" ]; then
  cp "$out/decoded-window-96.png" "$out/decoded-window.png"
fi
cp "$out/structure-tab-96.png" "$out/structure-tab.png"
