#!/usr/bin/env bash
# Runs one Windows test program under Wine from its own folder, inside a rig
# that with-rig.sh has started (WINEPREFIX and DISPLAY already set).
set -euo pipefail
exe=$1; shift
[ -n "${WINEPREFIX:-}" ] && [ -n "${DISPLAY:-}" ] || { echo "run through tools/rig/with-rig.sh" >&2; exit 2; }
# A 32-bit program (PE machine 0x14c) on a machine that starts none is skipped,
# with the code its test registration names as "skipped".
pe=$(od -An -tu4 -j60 -N4 "$exe" | tr -d ' ')
machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$exe" | tr -d ' ')
if [ "$machine" = 014c ] && ! "$(dirname "$0")/runs-32-bit.sh"; then
  echo "skipped: this machine's kernel starts no 32-bit programs"
  exit 77
fi
cd "$(dirname "$exe")"
exec wine "$exe" "$@"
