#!/usr/bin/env bash
# Runs a command inside the private test rig: a virtual X display of its own
# and a persistent Wine server for the private prefix, both started before the
# command (so the command's pipes are never inherited by them) and both
# stopped by their own ids when the command ends, fails or is interrupted.
# Usage: with-rig.sh PREFIX COMMAND [ARGS...]
set -euo pipefail
prefix=$1; shift
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="

xvfb_pid=
server_started=0
shims=
cleanup() {
  [ "$server_started" = 1 ] && { wineserver -k >/dev/null 2>&1 </dev/null || true; }
  [ -n "$shims" ] && rm -rf "$shims"
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Debian's `wine` (and `winepath` through it) starts the 32-bit loader first,
# which a kernel without 32-bit support refuses: there the 64-bit loader
# stands in for it, and 64-bit programs run as they would.
if ! "$(dirname "$0")/runs-32-bit.sh"; then
  shims=$(mktemp -d)
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$shims/$name"
    chmod +x "$shims/$name"
  done
  export PATH="$shims:$PATH" WINELOADER=/usr/lib/wine/wine64
fi

if [ "${CUELARK_USE_DISPLAY:-0}" != 1 ] || [ -z "${DISPLAY:-}" ]; then
  fifo=$(mktemp -u); mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 </dev/null &
  xvfb_pid=$!
  read -r display <"$fifo"; rm -f "$fifo"
  export DISPLAY=":$display"
  # Tells what runs inside that this display is the rig's, not the user's.
  export CUELARK_RIG_DISPLAY=$DISPLAY
fi

# One rig per prefix: a second one would share (and later stop) the first's
# server and send its windows to the first's display.
if ! wineserver -p >/dev/null 2>&1 </dev/null; then
  echo "with-rig: a Wine server already runs for $WINEPREFIX; use another prefix" >&2
  exit 1
fi
server_started=1
# Start Wine's own services now, off the runner's pipes.
/usr/lib/wine/wine64 cmd /c exit >/dev/null 2>&1 </dev/null || true

"$@"
