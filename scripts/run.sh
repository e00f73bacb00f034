#!/usr/bin/env bash
# Sets up, builds and shows a TIFF file's tag structure: scripts/run.sh [FILE.tif]
# (default: the bundled samples/sample.tif).
#
# With the Windows viewer built (build/win64, target Orvane) the viewer is
# started under Wine: on your X display when DISPLAY is set (it stays open
# until you close it), otherwise on a private Xvfb, where a screenshot is
# taken into build/win64/orvane-screenshot.png and the viewer is closed.
# Without it, or when no display can be had, the command-line dump of the
# file is printed instead (build/native, target orvane-dump).
set -u -o pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 2
repo=$(pwd)
file=${1:-samples/sample.tif}
logs="$repo/build/logs"
mkdir -p "$logs"

say() { echo "run: $*"; }

scripts/setup.sh || exit 1
if [ ! -f "$file" ]; then
  say "no such file: $file"
  exit 1
fi
file_abs="$(cd "$(dirname "$file")" && pwd)/$(basename "$file")"
# The viewer gets the path as Windows shows it: drive Z: is the Unix root.
file_win="Z:${file_abs//\//\\}"

# build_target PRESET TARGET: configures the preset's build folder and builds
# the target when the tree has it; prints nothing, fails when it is absent.
build_target() {
  local preset=$1 target=$2 dir="$repo/build/$1" log="$logs/run-$1.log"
  say "building $target ($preset preset; log: $log)"
  cmake --preset "$preset" -B "$dir" >"$log" 2>&1 || { say "configure failed:"; tail -n 30 "$log"; return 2; }
  if ! ninja -C "$dir" -t targets all 2>/dev/null | grep "^$target:" >/dev/null; then
    say "this tree has no $target target yet"
    return 1
  fi
  cmake --build "$dir" --target "$target" -j2 >>"$log" 2>&1 || { say "build failed:"; tail -n 30 "$log"; return 2; }
}

find_program() { find "$repo/build/$1" -name "$2" -type f -perm -u+x -print -quit 2>/dev/null; }

# Starts the viewer on a private Xvfb, waits for its window, takes a
# screenshot and closes it (the Wine session stops everything on exit).
viewer_screenshot() {
  local exe=$1 shot="$repo/build/win64/orvane-screenshot.png"
  # The inner script expands its own variables.
  # shellcheck disable=SC2016
  ORVANE_EXE="$exe" ORVANE_FILE="$file_win" ORVANE_SHOT="$shot" \
  scripts/wine-session.sh build/win64 bash -c '
    scripts/wine-run.sh "$ORVANE_EXE" "$ORVANE_FILE" &
    viewer=$!
    # The window belongs to the program once its X class appears.
    timeout 30 xdotool search --sync --onlyvisible --classname "orvane.exe" >/dev/null 2>&1 || sleep 5
    sleep 2
    kill -0 "$viewer" 2>/dev/null || { echo "run: the viewer ended early"; exit 1; }
    import -silent -window root "$ORVANE_SHOT" || exit 1
    kill "$viewer" 2>/dev/null
    wait "$viewer" 2>/dev/null
    exit 0'
  local rc=$?
  [ $rc -eq 0 ] && say "screenshot of the viewer: $shot"
  return $rc
}

run_viewer() {
  build_target win64 Orvane || return 1
  local exe
  exe=$(find_program win64 Orvane.exe)
  [ -n "$exe" ] || return 1
  if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then
    say "starting the viewer on $DISPLAY (close its window to end)"
    scripts/wine-run.sh "$exe" "$file_win"
    return 0
  fi
  if ! command -v Xvfb >/dev/null; then
    say "no display and no Xvfb: falling back to the dump"
    return 1
  fi
  ( unset DISPLAY; viewer_screenshot "$exe" ) || { say "the viewer did not run: falling back to the dump"; return 1; }
}

run_dump() {
  build_target native orvane-dump || return 1
  local exe
  exe=$(find_program native orvane-dump)
  [ -n "$exe" ] || return 1
  say "$exe $file"
  "$exe" "$file"
  exit $?
}

run_viewer && exit 0
run_dump
say "nothing to run yet: neither the viewer (target Orvane) nor the dump (target orvane-dump) exists in this tree"
exit 1
