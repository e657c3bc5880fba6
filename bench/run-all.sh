#!/usr/bin/env bash
# Runs every benchmark piece inside the rig. Each piece prints its figures as
# `bench: NAME VALUE UNIT`, one per line.
# Usage: run-all.sh NATIVE_BUILD_DIR WINDOWS_BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
status=0
for part in "$here"/parts/*.sh; do
  [ -e "$part" ] || continue
  bash "$part" "$1" "$2" || { echo "benchmark $(basename "$part") failed" >&2; status=1; }
done
exit $status
