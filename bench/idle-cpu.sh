#!/usr/bin/env bash
# CPU used by an idle Cuelark (100 entries loaded, none due, window shown)
# and by its Wine server, over 60 s, read from the kernel's own accounting.
# Runs inside the rig: WINEPREFIX and DISPLAY are set.
set -euo pipefail
win=$1
seconds=${IDLE_SECONDS:-60}
folder=$(mktemp -d "${TMPDIR:-/tmp}/cuelark-idle.XXXXXX")
cleanup() {
  [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true
  [ -n "${pid:-}" ] && wait "$pid" 2>/dev/null || true
  rm -rf "$folder"
}
trap cleanup EXIT
cp "$win/scheduler/win/Cuelark.exe" "$win/inicontrol/BrevoniControlX.dll" "$folder/"

# Due twelve hours from now: never during the measurement.
due=$(date -d '+12 hours' +%H:%M:%S)
{
  printf '[Saved Commands]\r\n'
  for n in $(seq 1 100); do
    printf 'name%d=Idle %d\r\ncommand%d=C:\\idle\\%d.mp3\r\nstartDate%d=EVERY DAY\r\nstartTime%d=%s\r\nisChecked%d=True\r\nremWhenDone%d=0\r\n' \
      "$n" "$n" "$n" "$n" "$n" "$n" "$due" "$n" "$n"
  done
  printf '[Total Count]\r\ncount=100\r\n'
} >"$folder/cue.ini"

wine "$folder/Cuelark.exe" >/dev/null 2>&1 </dev/null &
pid=$!

# The Unix processes to account: the program (its command line names its
# own folder) and the prefix's Wine server.
find_pid() {
  for p in /proc/[0-9]*; do
    if tr '\0' ' ' <"$p/cmdline" 2>/dev/null | grep -q -- "$1"; then
      if [ -z "${2:-}" ] || tr '\0' '\n' <"$p/environ" 2>/dev/null | grep -qx "$2"; then
        basename "$p"; return 0
      fi
    fi
  done
  return 1
}
app=
for _ in $(seq 1 100); do
  app=$(find_pid "$(basename "$folder")" || true)
  [ -n "$app" ] && grep -q 'Cuelark' "/proc/$app/cmdline" 2>/dev/null && break
  sleep 0.1
done
server=$(find_pid wineserver "WINEPREFIX=$WINEPREFIX" || true)
[ -n "$app" ] || { echo "idle bench: Cuelark did not start" >&2; exit 1; }
# Let start-up finish before the quiet minute is measured.
sleep 5
ticks() { local total=0; for p in "$@"; do [ -n "$p" ] && total=$((total + $(awk '{print $14 + $15}' "/proc/$p/stat"))); done; echo $total; }
before=$(ticks "$app" "$server")
sleep "$seconds"
after=$(ticks "$app" "$server")
hz=$(getconf CLK_TCK)
awk -v d=$((after - before)) -v hz="$hz" -v s="$seconds" 'BEGIN { printf "bench: idle.cpu_percent %.3f %%\n", 100 * d / hz / s }'
