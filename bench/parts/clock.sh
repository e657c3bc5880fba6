#!/usr/bin/env bash
# Firing latency, missed and doubled firings over two minutes of entries,
# then the idle CPU of the scheduler and its Wine server.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
win=$2
exe=$(winepath -w "$win/scheduler/win/Cuelark.exe")
dll=$(winepath -w "$win/inicontrol/BrevoniControlX.dll")
wine "$win/bench/ui/clock_bench.exe" "$exe" "$dll" "$(winepath -w "$win/tools/player/WinampStandIn.exe")" | tr -d '\r'
bash "$here/../idle-cpu.sh" "$win"
