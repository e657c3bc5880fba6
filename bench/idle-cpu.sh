#!/usr/bin/env bash
# CPU used by an idle Cuelark (100 entries loaded, none due, window shown)
# and by its Wine server, over 60 s, from the kernel's per-thread run times.
# The server also serves Wine's own services, which keep it a little busy
# with no program at all; that share is measured first, reported on its own
# and not counted against the program.
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
cp "$win/bin/Cuelark.exe" "$win/bin/BrevoniControlX.dll" "$folder/"

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
# Nanoseconds on a CPU, summed over the threads of the processes given.
cpu_ns() {
  local total=0 task
  for p in "$@"; do
    for task in /proc/"$p"/task/*/schedstat; do
      [ -r "$task" ] && total=$((total + $(cut -d' ' -f1 "$task")))
    done
  done
  echo $total
}
percent() { awk -v ns="$1" -v s="$2" 'BEGIN { printf "%.3f", 100 * ns / 1e9 / s }'; }

server=$(find_pid wineserver "WINEPREFIX=$WINEPREFIX" || true)
[ -n "$server" ] || { echo "idle bench: no Wine server for $WINEPREFIX" >&2; exit 1; }
baseline_seconds=$((seconds / 2))
before=$(cpu_ns "$server")
sleep "$baseline_seconds"
baseline=$(( $(cpu_ns "$server") - before ))

wine "$folder/Cuelark.exe" >/dev/null 2>&1 </dev/null &
pid=$!
app=
for _ in $(seq 1 100); do
  app=$(find_pid "$(basename "$folder")" || true)
  [ -n "$app" ] && grep -q 'Cuelark' "/proc/$app/cmdline" 2>/dev/null && break
  sleep 0.1
done
[ -n "$app" ] || { echo "idle bench: Cuelark did not start" >&2; exit 1; }
# Let start-up finish before the quiet minute is measured.
sleep 5
app_before=$(cpu_ns "$app")
server_before=$(cpu_ns "$server")
sleep "$seconds"
app_ns=$(( $(cpu_ns "$app") - app_before ))
server_ns=$(( $(cpu_ns "$server") - server_before ))
server_extra=$(( server_ns - baseline * seconds / baseline_seconds ))
[ "$server_extra" -lt 0 ] && server_extra=0
echo "bench: idle.app_cpu_percent $(percent "$app_ns" "$seconds") %"
echo "bench: idle.server_baseline_cpu_percent $(percent "$baseline" "$baseline_seconds") %"
echo "bench: idle.cpu_percent $(percent $((app_ns + server_extra)) "$seconds") %"
