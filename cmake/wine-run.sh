#!/bin/sh
# Runs a Windows x64 program under wine64 in a private prefix, quietly:
#   wine-run.sh PREFIX PROGRAM [ARGUMENT...]
#   wine-run.sh PREFIX            (makes the prefix ready, starts its services)
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
  flock -o "$prefix.lock" sh -c \
    '[ -f "$WINEPREFIX/.ready" ] ||
     { "$1" wineboot --init >/dev/null 2>&1 && touch "$WINEPREFIX/.ready"; }' \
    create "$wine"
fi
# When no wineserver serves the prefix, the first Windows program starts it
# and the background services (winedevice, ...), which inherit that
# program's standard output and keep it open: a caller reading the output
# to its end (CTest listing the tests) would wait for them forever.  So they
# are started here first, with nothing inherited (not even the lock, -o).  A live server has a
# socket in a folder named after the prefix's device and inode.
server="server-$(stat -c '%D' "$prefix" | sed 's/^0*//')-$(printf %x "$(stat -c %i "$prefix")")"
serving() {
  for socket in "/tmp/.wine-$(id -u)/$server/socket" /tmp/wine-*/"$server/socket"; do
    [ -S "$socket" ] && return 0
  done
  return 1
}
if [ $# -eq 0 ] || ! serving; then
  flock -o "$prefix.lock" "$wine" wineboot </dev/null >/dev/null 2>&1
fi
[ $# -eq 0 ] && exit 0
exec "$wine" "$@"
