# shellcheck shell=bash
# Shared by wine-run.sh, wine-session.sh and the screenshot scripts (sourced,
# not run).
#
# A "session" is what Windows programs need around them on this machine: an
# X display (a private Xvfb unless DISPLAY is given), a Wine prefix private
# to the build folder, a persistent wineserver and one idle Windows process.
# The idle process keeps Wine's own helper processes (services, explorer)
# alive between tests, so they are started once with their output away from
# CTest's pipe instead of by the first test.

ORVANE_WINE64=/usr/lib/wine/wine64
ORVANE_WINE32=/usr/lib/wine/wine
ORVANE_WINESERVER=/usr/lib/wine/wineserver
# Every Wine program is started through this: without address space layout
# randomisation. Debian's Wine has no preloader; its loader is a program at
# the fixed address 0x7d000000, and Linux 6.9 and later place its C heap
# anywhere in the gigabyte above it (32 MiB before). About one start in two
# thousand the heap then covers 0x7ffe0000, the page every Windows process
# needs for its shared user data, and Wine ends at once with code 1 and
# "failed to map the shared user data: c0000018" (an error that
# WINEDEBUG=-all hides). Without randomisation the heap starts right after
# the loader, every time.
ORVANE_NO_ASLR=(setarch "$(uname -m)" -R)
# Exit code of a run that cannot happen on this machine (CTest SKIP_RETURN_CODE).
# shellcheck disable=SC2034  # used by the scripts that source this file
ORVANE_SKIP_CODE=77

orvane_log() { echo "wine-run: $*" >&2; }

# The build root holds CMakeCache.txt; the exe may sit in any folder below it.
orvane_build_root() {
  local dir
  dir=$(cd "$1" && pwd) || return 1
  local d=$dir
  while [ "$d" != "/" ]; do
    if [ -f "$d/CMakeCache.txt" ]; then
      echo "$d"
      return 0
    fi
    d=$(dirname "$d")
  done
  echo "$dir"
}

# Exports everything Wine needs for the build root $1: a private prefix and
# a private HOME, so nothing is linked to or written into the user's home.
orvane_wine_env() {
  local root=$1
  ORVANE_WINE_DIR="$root/wine"
  mkdir -p "$ORVANE_WINE_DIR/home"
  export WINEPREFIX="$ORVANE_WINE_DIR/prefix"
  export HOME="$ORVANE_WINE_DIR/home"
  export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
  export XDG_CACHE_HOME="$HOME/.cache"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
  export WINEARCH=win64
}

# Machine field of a PE file: 8664 (x86_64), 014c (i386) or empty.
orvane_pe_machine() {
  local off
  off=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$off" ] || return 0
  od -An -tx2 -j$((off + 4)) -N2 "$1" 2>/dev/null | tr -d ' '
}

# Prints why this machine cannot run 32-bit Windows programs; prints nothing
# when it can. wine32 can be installed on a kernel that does not run 32-bit
# Linux programs at all (IA32 emulation left out or switched off at boot);
# its loader then fails with "Exec format error", so it is asked for its
# version, which it answers before Wine starts anything.
orvane_wine32_blocker() {
  if [ ! -x "$ORVANE_WINE32" ] || ! dpkg -s wine32:i386 >/dev/null 2>&1; then
    echo "wine32 is not installed"
  elif ! "${ORVANE_NO_ASLR[@]}" "$ORVANE_WINE32" --version >/dev/null 2>&1; then
    echo "this machine's kernel does not run 32-bit Linux programs, so wine32 cannot start"
  fi
}

# Prints the Wine loader for the exe $1; when the exe is 32-bit and this
# machine cannot run it, prints why instead and returns 1. (wine64 would
# "run" it, print nothing and exit 0, which looks like a pass.)
orvane_wine_loader() {
  case "$(orvane_pe_machine "$1")" in
    014c)
      local blocker
      blocker=$(orvane_wine32_blocker)
      [ -z "$blocker" ] || { echo "$blocker"; return 1; }
      echo "$ORVANE_WINE32" ;;
    *) echo "$ORVANE_WINE64" ;;
  esac
}

# Creates the prefix once. Two runs may race for it (ctest -j), hence the lock;
# an interrupted creation leaves no ready mark and is redone.
orvane_prefix_ensure() {
  local lock="$ORVANE_WINE_DIR/prefix.lock"
  (
    flock 9
    [ -f "$WINEPREFIX/.orvane-ready" ] && exit 0
    rm -rf "$WINEPREFIX"
    orvane_log "creating Wine prefix $WINEPREFIX (once per build folder)"
    "${ORVANE_NO_ASLR[@]}" "$ORVANE_WINE64" wineboot --init >>"$ORVANE_WINE_DIR/wine.log" 2>&1 8>&- 9>&- || exit 1
    local reg=("${ORVANE_NO_ASLR[@]}" "$ORVANE_WINE64" reg add)
    # No window manager under Xvfb: unmanaged windows are destroyed at once
    # instead of after a 2 s wait for an answer that never comes.
    "${reg[@]}" 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
      >>"$ORVANE_WINE_DIR/wine.log" 2>&1 8>&- 9>&- || exit 1
    # A crash prints a backtrace and ends the run instead of opening a dialog.
    "${reg[@]}" 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      >>"$ORVANE_WINE_DIR/wine.log" 2>&1 8>&- 9>&- || exit 1
    # Caption-button glyphs need Marlett.
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -f /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
    # The registry is written to disk when the server ends; make it so now.
    "$ORVANE_WINESERVER" -w
    touch "$WINEPREFIX/.orvane-ready"
  ) 9>"$lock"
}

# Starts a private Xvfb when DISPLAY is unset; sets ORVANE_XVFB_PID.
orvane_xvfb_start() {
  ORVANE_XVFB_PID=""
  [ -n "${DISPLAY:-}" ] && return 0
  local fdfile="$ORVANE_WINE_DIR/xvfb.$$.display"
  rm -f "$fdfile"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" \
    </dev/null >>"$ORVANE_WINE_DIR/xvfb.log" 2>&1 8>&- &
  ORVANE_XVFB_PID=$!
  for _ in $(seq 1 100); do
    if [ -s "$fdfile" ]; then
      DISPLAY=":$(tr -d '\n' <"$fdfile")"
      export DISPLAY
      rm -f "$fdfile"
      return 0
    fi
    kill -0 "$ORVANE_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  orvane_log "could not start Xvfb (see $ORVANE_WINE_DIR/xvfb.log)"
  return 1
}

# Everything of a session writes to the session log, never to the caller's
# stdout: CTest waits until every holder of its pipe has closed it. Nothing
# started here keeps the session lock (fd 8) open.
orvane_session_start() {
  orvane_xvfb_start || return 1
  orvane_prefix_ensure || { orvane_log "Wine prefix creation failed (see $ORVANE_WINE_DIR/wine.log)"; return 1; }
  local log="$ORVANE_WINE_DIR/wine.log"
  "$ORVANE_WINESERVER" -p </dev/null >>"$log" 2>&1 8>&-
  # An idle console program reading a FIFO that nobody writes to (opened
  # read-write, so the open does not wait for a writer and no EOF comes).
  local fifo="$ORVANE_WINE_DIR/idle.fifo"
  [ -p "$fifo" ] || { rm -f "$fifo"; mkfifo "$fifo"; }
  # Desktop processes of this prefix still ending after the last session
  # (wineserver -k returns before its clients are gone) must not pass for
  # the new one.
  local stale
  stale=" $(orvane_desktop_pids | tr '\n' ' ')"
  "${ORVANE_NO_ASLR[@]}" "$ORVANE_WINE64" cmd.exe <>"$fifo" >>"$log" 2>&1 8>&- &
  # The desktop process, which the first program with a window would
  # otherwise start with that program's output pipe.
  "${ORVANE_NO_ASLR[@]}" "$ORVANE_WINE64" explorer.exe /desktop </dev/null >>"$log" 2>&1 8>&- &
  orvane_wait_for_desktop "$stale"
  orvane_warm_up || { orvane_log "Wine does not run programs (see $log)"; return 1; }
  orvane_watchdog_start
}

# A small program that must report its exit code runs before the caller's
# first, given a few seconds while a fresh prefix's helper processes come
# up: a session in which Wine cannot run programs ends here, pointing to its
# log, instead of failing the first test.
orvane_warm_up() {
  local i log="$ORVANE_WINE_DIR/wine.log"
  for i in 1 2 3 4 5; do
    "${ORVANE_NO_ASLR[@]}" "$ORVANE_WINE64" cmd.exe /c exit 7 </dev/null >>"$log" 2>&1 8>&-
    [ $? -eq 7 ] && return 0
    orvane_log "Wine is not ready yet (try $i); waiting" >>"$log" 2>&1
    sleep 1
  done
  return 1
}

# Process ids of the desktop processes of this prefix.
orvane_desktop_pids() {
  local pid
  for pid in $(pgrep -x explorer.exe); do
    # The process may end between the listing and the read.
    if tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -xF "WINEPREFIX=$WINEPREFIX" >/dev/null; then
      echo "$pid"
    fi
  done
}

# Opens a session for the current build folder for the rest of this shell's
# life: runs on one build folder take turns (fd 8 holds the lock), and the
# session is stopped when the shell exits, whatever the reason.
orvane_session_open() {
  exec 8>"$ORVANE_WINE_DIR/session.lock"
  flock 8
  trap 'orvane_session_stop' EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM HUP
  orvane_session_start
}

# The desktop process takes a few seconds to come up; a program started
# before it is there would start a second one, holding its output pipe.
orvane_wait_for_desktop() {
  local stale=$1 i pid
  for i in $(seq 1 300); do
    for pid in $(orvane_desktop_pids); do
      case "$stale" in *" $pid "*) continue ;; esac
      sleep 0.5
      return 0
    done
    sleep 0.1
  done
  orvane_log "the Wine desktop process did not start within 30 s; going on"
}

# Stops what the session started; safe to call twice.
orvane_session_stop() {
  if [ -n "${ORVANE_WATCHDOG_PID:-}" ]; then
    kill "$ORVANE_WATCHDOG_PID" 2>/dev/null
    ORVANE_WATCHDOG_PID=""
  fi
  orvane_session_cleanup "$WINEPREFIX" "${ORVANE_XVFB_PID:-}"
  ORVANE_XVFB_PID=""
}

orvane_session_cleanup() {
  local prefix=$1 xvfb=$2
  WINEPREFIX="$prefix" "$ORVANE_WINESERVER" -k >/dev/null 2>&1
  if [ -n "$xvfb" ] && [ "$(cat /proc/"$xvfb"/comm 2>/dev/null)" = "Xvfb" ]; then
    kill "$xvfb" 2>/dev/null
  fi
}

# When this shell is killed outright (CTest kills a timed-out test with
# SIGKILL, and traps do not run), a small watcher stops the session.
orvane_watchdog_start() {
  local me=$$ prefix=$WINEPREFIX xvfb=${ORVANE_XVFB_PID:-} server=$ORVANE_WINESERVER
  (
    trap 'exit 0' TERM
    while kill -0 "$me" 2>/dev/null; do sleep 1 & wait $!; done
    WINEPREFIX="$prefix" "$server" -k >/dev/null 2>&1
    if [ -n "$xvfb" ] && [ "$(cat /proc/"$xvfb"/comm 2>/dev/null)" = "Xvfb" ]; then
      kill "$xvfb" 2>/dev/null
    fi
  ) </dev/null >/dev/null 2>&1 8>&- &
  ORVANE_WATCHDOG_PID=$!
}

# Screenshot helpers (xdotool, xwd and ImageMagick on the session's display).

# The start of every screenshot script, called with the script's path and
# the build folder: sets ORVANE_SHOT_BUILD (the folder, absolute),
# ORVANE_SHOT_EXE (the build's own Orvane.exe, not one of the update test's
# copies below it) and ORVANE_SHOT_DIR (its screenshots/ folder), and runs the script again inside a Wine session for
# the build unless it already runs in one.
orvane_screenshot_start() {
  local script=$1 build
  build=$(cd "$2" && pwd) || return 1
  ORVANE_SHOT_EXE="$build/src/app/Orvane.exe"
  [ -f "$ORVANE_SHOT_EXE" ] || { echo "no $ORVANE_SHOT_EXE (build the target Orvane)" >&2; return 1; }
  # shellcheck disable=SC2034  # read by the screenshot scripts
  ORVANE_SHOT_BUILD=$build
  ORVANE_SHOT_DIR="$build/screenshots"
  mkdir -p "$ORVANE_SHOT_DIR"
  if [ -z "${ORVANE_WINE_SESSION:-}" ]; then
    exec "$(dirname "${BASH_SOURCE[0]}")/wine-session.sh" "$build" "$script" "$build"
  fi
}

# The id of the first visible window whose name matches the pattern $1,
# waited for up to 15 s. Wine may replace a new window's X window once while
# it sets the window up, so the id must last a moment.
orvane_wait_window() {
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) || true
    if [ -n "$id" ]; then
      sleep 0.3
      xdotool getwindowname "$id" >/dev/null 2>&1 && { echo "$id"; return 0; }
    fi
    sleep 0.1
  done
  echo "window '$1' did not appear" >&2
  return 1
}

# Saves the whole screen as the PNG file $1. Not with xwd -root: every Wine
# window has a colormap of its own, so xwd puts the picture together window
# by window, and it showed the update window and message boxes that the
# viewer opens over itself as black (xwd -id and import showed them
# painted). ImageMagick's import reads the screen as it is shown.
orvane_shot_screen() {
  import -silent -window root "$1"
  echo "saved $1"
}

# Saves the window $1 (an xdotool id) as the PNG file $2, cut from the
# screen so that what overlaps it shows as the user sees it.
orvane_shot_window() {
  # shellcheck disable=SC2034  # SCREEN and WINDOW: set by the eval, not needed
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  import -silent -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
  echo "saved $2"
}
