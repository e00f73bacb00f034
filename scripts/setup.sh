#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the tests need and
# is missing. Safe to run again: it returns at once when everything is there.
#
# wine32 (32-bit Windows programs) is not installed: on Debian 12 it needs
# the i386 architecture and a mirror whose i386 index agrees with the amd64
# one, which often fails. ORVANE_WINE32=1 tries it anyway, best effort.
set -u
packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev llvm googletest libgtest-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine64 fonts-wine xvfb xauth xdotool x11-apps imagemagick
  python3 python3-jsonschema python3-tifffile libtiff-tools libimage-exiftool-perl procps
  util-linux
)

# One query for all: the installed ones are listed with status "ii".
installed=" $(dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' "${packages[@]}" 2>/dev/null |
              awk '$1 == "ii" { printf "%s ", $2 }')"
need=()
for p in "${packages[@]}"; do
  case "$installed" in *" $p "*) ;; *) need+=("$p") ;; esac
done
want32=0
if [ "${ORVANE_WINE32:-0}" = 1 ] && ! dpkg -s wine32:i386 >/dev/null 2>&1; then
  want32=1
fi

if [ ${#need[@]} -eq 0 ] && [ $want32 = 0 ]; then
  echo "setup: everything is installed"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: need root or sudo to install: ${need[*]}" >&2; exit 1; }
  SUDO="sudo"
fi
apt_get() { DEBIAN_FRONTEND=noninteractive $SUDO apt-get "$@"; }

if [ $want32 = 1 ]; then
  $SUDO dpkg --add-architecture i386
fi
# One failing index (a mirror in sync) must not stop the install of the rest.
apt_get update -q || echo "setup: apt-get update reported a problem; going on"
if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  # Recommends are wanted: fonts for Wine come that way too.
  apt_get install -y -q "${need[@]}" || { echo "setup: installation failed" >&2; exit 1; }
fi
if [ $want32 = 1 ]; then
  apt_get install -y -q wine32:i386 ||
    echo "setup: wine32 could not be installed; the 32-bit tests will be skipped"
fi
echo "setup: done"
