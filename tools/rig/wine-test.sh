#!/usr/bin/env bash
# Runs one Windows test program under Wine from its own folder, inside a rig
# that with-rig.sh has started (WINEPREFIX and DISPLAY already set).
set -euo pipefail
exe=$1; shift
[ -n "${WINEPREFIX:-}" ] && [ -n "${DISPLAY:-}" ] || { echo "run through tools/rig/with-rig.sh" >&2; exit 2; }
cd "$(dirname "$exe")"
exec wine "$exe" "$@"
