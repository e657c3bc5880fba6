#!/usr/bin/env bash
# A long run of the real program against the stand-in player: what it keeps
# of handles, GDI and USER objects and private memory after thousands of
# executions, Saves and removals.
# Usage: soak.sh NATIVE_BUILD_DIR WINDOWS_BUILD_DIR [ROUNDS], inside the rig.
set -euo pipefail
win=$2
wine "$win/bin/soak_bench.exe" "$(winepath -w "$win/bin/Cuelark.exe")" \
  "$(winepath -w "$win/bin/BrevoniControlX.dll")" ${3:-} | tr -d '\r'
