#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the tests need and
# is missing. Safe to run again: it returns at once when everything is there.
#
# wine32 runs the tests of the shipped 32-bit build. It needs the i386
# architecture and the mirror's i386 package index; when that index cannot be
# had (a mirror in sync), setup says so loudly and goes on without it, and the
# 32-bit test run is skipped. ORVANE_WINE32=0 leaves wine32 out on purpose.
#
# It prints one line per step; what the package manager says goes to
# build/logs/setup.log, whose end is shown when a step fails.
set -u -o pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 2
log="$(pwd)/build/logs/setup.log"
packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev llvm googletest libgtest-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine64 fonts-wine xvfb xauth xdotool x11-apps imagemagick
  python3 python3-jsonschema python3-tifffile libtiff-tools libimage-exiftool-perl procps
  util-linux clang-format shellcheck locales checkit-tiff gdal-bin geotiff-bin
  python3-distributed
)

# One query for all: the installed ones are listed with status "ii".
installed=" $(dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' "${packages[@]}" 2>/dev/null |
              awk '$1 == "ii" { printf "%s ", $2 }')"
need=()
for p in "${packages[@]}"; do
  case "$installed" in *" $p "*) ;; *) need+=("$p") ;; esac
done
want32=0
if [ "${ORVANE_WINE32:-1}" != 0 ] && ! dpkg -s wine32:i386 >/dev/null 2>&1; then
  want32=1
fi

# A value test checks the decimal comma of the user's locale; the locale must
# be generated, not only its package installed.
wantlocale=0
if ! locale -a 2>/dev/null | grep -qix 'de_DE.utf8'; then
  wantlocale=1
fi

if [ ${#need[@]} -eq 0 ] && [ $want32 = 0 ] && [ $wantlocale = 0 ]; then
  echo "setup: everything is installed"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: need root or sudo to install: ${need[*]}" >&2; exit 1; }
  SUDO="sudo"
fi
mkdir -p "$(dirname "$log")"
: >"$log"
# run TEXT COMMAND...: one line on the terminal, the command's output in the log.
run() {
  local text=$1; shift
  echo "setup: $text"
  echo "== $*" >>"$log"
  "$@" >>"$log" 2>&1
}
show_log() {
  echo "---- last lines of $log ----" >&2
  tail -n 30 "$log" >&2
}
apt_get() { DEBIAN_FRONTEND=noninteractive $SUDO apt-get "$@"; }

if [ $want32 = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  run "adding the i386 architecture" $SUDO dpkg --add-architecture i386
fi
# One failing index (a mirror in sync) must not stop the install of the rest.
if [ ${#need[@]} -gt 0 ] || [ $want32 = 1 ]; then
  run "reading the package lists (log: $log)" apt_get update -q ||
    echo "setup: apt-get update reported a problem; going on"
fi
if [ ${#need[@]} -gt 0 ]; then
  # Recommends are wanted: fonts for Wine come that way too.
  if ! run "installing ${#need[@]} packages: ${need[*]}" apt_get install -y -q "${need[@]}"; then
    show_log
    echo "setup: installation failed" >&2
    exit 1
  fi
fi
if [ $want32 = 1 ]; then
  if ! run "installing wine32:i386 (the tests of the shipped 32-bit build run under it)" \
    apt_get install -y -q wine32:i386; then
    show_log
    cat >&2 <<'WARN'
setup: ************************************************************************
setup: WARNING: wine32 could not be installed (most likely the mirror's i386
setup: package index could not be had; see the lines above and the log).
setup: The shipped 32-bit build is built but its tests will be SKIPPED.
setup: Run scripts/setup.sh again later to retry.
setup: ************************************************************************
WARN
  fi
fi
if [ $wantlocale = 1 ]; then
  if grep -q '^# *de_DE.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  elif ! grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  run "generating the de_DE.UTF-8 locale" $SUDO locale-gen ||
    echo "setup: locale-gen failed; the decimal-comma test will be skipped"
fi
echo "setup: done"
