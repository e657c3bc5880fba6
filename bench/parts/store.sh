#!/usr/bin/env bash
# Store figures through the real program: start-up, Save and removal with
# 0, 1000 and 10000 entries.
set -euo pipefail
win=$2
wine "$win/bin/store_bench.exe" "$(winepath -w "$win/bin/Cuelark.exe")" \
  "$(winepath -w "$win/bin/BrevoniControlX.dll")" 0 1000 10000 | tr -d '\r'
