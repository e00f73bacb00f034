#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the tests need and
# is missing. Safe to run again: it returns at once when everything is there.
set -u
need=()
want_pkg() { dpkg -s "$1" >/dev/null 2>&1 || need+=("$1"); }

for p in cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev \
         g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
         binutils-mingw-w64-i686 wine64 fonts-wine xvfb xauth xdotool x11-apps \
         imagemagick python3 procps; do
  want_pkg "$p"
done

if [ ${#need[@]} -eq 0 ]; then
  echo "setup: everything is installed"
  exit 0
fi

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "setup: installing ${need[*]}"
# One failing index (a mirror in sync) must not stop the install of the rest.
$SUDO apt-get update -q || echo "setup: apt-get update reported a problem; going on"
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${need[@]}"
