#!/usr/bin/env bash
# Firing latency, missed and doubled firings over two minutes of entries,
# then the idle CPU of the scheduler and its Wine server.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
win=$2
exe=$(winepath -w "$win/bin/Cuelark.exe")
dll=$(winepath -w "$win/bin/BrevoniControlX.dll")
wine "$win/bin/clock_bench.exe" "$exe" "$dll" "$(winepath -w "$win/bin/WinampStandIn.exe")" | tr -d '\r'
bash "$here/../idle-cpu.sh" "$win"
