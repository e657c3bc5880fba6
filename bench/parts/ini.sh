#!/usr/bin/env bash
# Brevoni: a store written one key at a time through kernel32 against the
# control's batches, and single reads and writes through both. Runs inside
# the rig that bench/run-all.sh's caller started.
# Usage: ini.sh NATIVE_BUILD_DIR WINDOWS_BUILD_DIR
set -euo pipefail
exe="$2/bin/brevoni_bench.exe"
cd "$(dirname "$exe")"
wine "$exe" | tr -d '\r'
