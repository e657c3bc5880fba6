#!/usr/bin/env bash
# The player link against the stand-in: one message's round trip, one whole
# execution, processor use while waiting for a late player window.
# Usage: player.sh NATIVE_BUILD_DIR WINDOWS_BUILD_DIR, inside the rig.
set -euo pipefail
win=$2
wine "$win/bin/player_bench.exe" </dev/null | tr -d '\r'
