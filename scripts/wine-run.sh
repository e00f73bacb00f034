#!/usr/bin/env bash
# Placeholder runner: runs a Windows program under wine64 with a private
# prefix. (Being replaced by the full runner.)
set -u
exe="$1"; shift
build=$(cd "$(dirname "$exe")" && pwd)
export WINEPREFIX="${WINEPREFIX:-/tmp/orvane-wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
exec /usr/lib/wine/wine64 "$exe" "$@"
