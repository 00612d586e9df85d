#!/bin/sh
# Runs a Windows x64 program under wine64 in a private prefix, quietly:
#   wine-run.sh PREFIX PROGRAM [ARGUMENT...]
#   wine-run.sh PREFIX            (only creates the prefix)
# The prefix is created on first use (about half a minute), under a lock so
# that tests started in parallel wait for one creation instead of racing.
# A wineserver kept alive by the caller (wineserver -p) saves its start-up on
# every run.
set -eu
prefix=$1
shift
wine=${WINE64:-/usr/lib/wine/wine64}
[ -x "$wine" ] || wine=$(command -v wine64)
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEARCH=win64
# No Mono or Gecko installer prompts: nothing here needs .NET or HTML.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$prefix/.ready" ]; then
  mkdir -p "$(dirname "$prefix")"
  flock "$prefix.lock" sh -c \
    '[ -f "$WINEPREFIX/.ready" ] ||
     { "$1" wineboot --init >/dev/null 2>&1 && touch "$WINEPREFIX/.ready"; }' \
    create "$wine"
fi
[ $# -eq 0 ] && exit 0
exec "$wine" "$@"
