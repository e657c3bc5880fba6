#!/usr/bin/env bash
# Starts Cuelark from RUN_FOLDER (its store survives between runs) beside a
# player: the real one if the prefix has it, else the stand-in. On first use
# it saves a demonstration entry due a little ahead, so that something
# visibly plays.
# On the user's display it runs until the user closes it. Without one, the
# rig has made a virtual display of its own: Cuelark runs there for
# CUELARK_RUN_SECONDS (default 60) and leaves screenshots in SHOTS_FOLDER.
# Usage: run-cuelark.sh WINDOWS_BUILD_DIR RUN_FOLDER SHOTS_FOLDER  (inside the rig)
set -euo pipefail
win=$1
run=$2
shots=$3
seconds=${CUELARK_RUN_SECONDS:-60}
mkdir -p "$run/player"
cp "$win/bin/Cuelark.exe" "$win/bin/BrevoniControlX.dll" "$run/"

real=
for candidate in "$WINEPREFIX/drive_c/Program Files/Winamp/winamp.exe" \
                 "$WINEPREFIX/drive_c/Program Files (x86)/Winamp/winamp.exe"; do
  [ -f "$candidate" ] && real=$candidate && break
done
if [ -n "$real" ]; then
  player=$real
  echo "Using the player found at $(winepath -w "$real")"
else
  player="$run/player/Winamp.exe"
  cp "$win/bin/WinampStandIn.exe" "$player"
  echo "No player installed in the prefix: using the stand-in player."
fi
player_dir=$(dirname "$player")
exe_w=$(winepath -w "$player")
if [ ! -f "$run/winamp.ini" ]; then
  printf '[Winamp]\r\nExe=%s\r\nPlaylist=%s\r\n' "$exe_w" "${exe_w%???}m3u" >"$run/winamp.ini"
fi
# Due 25 s into a minute's run; a shorter run keeps the same proportion, but
# leaves Cuelark the few seconds it needs to start.
lead=$((seconds * 5 / 12))
[ "$lead" -ge 8 ] || lead=8
if [ ! -f "$run/cue.ini" ]; then
  due=$(date -d "+$lead seconds" +%H:%M:%S)
  today=$(date +%Y-%m-%d)
  # Placed beside the player's window, so that both can be watched.
  printf '[Saved Commands]\r\nname1=Demonstration\r\ncommand1=C:\\Music\\Demonstration.mp3\r\nstartDate1=%s\r\nstartTime1=%s\r\nisChecked1=True\r\nremWhenDone1=1\r\n[Total Count]\r\ncount=1\r\n[Position]\r\nLeft=9000\r\nTop=600\r\n' \
    "$today" "$due" >"$run/cue.ini"
  echo "Saved a demonstration entry due at $due; watch the player's window."
fi

# Both programs are started so that their ids are the Wine processes
# themselves, which the end of the run stops.
pids=()
stop() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap stop EXIT
# Cuelark finds the player by its bare name, as on Windows.
export WINEPATH="$(winepath -w "$player_dir")"
(cd "$player_dir" && exec wine "$player" >/dev/null 2>&1 </dev/null) &
pids+=($!)

if [ -z "${CUELARK_RIG_DISPLAY:-}" ] || [ "$DISPLAY" != "$CUELARK_RIG_DISPLAY" ]; then
  echo "Cuelark runs on your display $DISPLAY; close its window (or File > Exit) to end."
  (cd "$run" && exec wine "$run/Cuelark.exe" >/dev/null 2>&1 </dev/null)
  exit 0
fi

mkdir -p "$shots"
echo "No display of yours: Cuelark runs on a virtual display for $seconds s; screenshots go to $shots."
(cd "$run" && exec wine "$run/Cuelark.exe" >/dev/null 2>&1 </dev/null) &
app=$!
pids+=("$app")
# The window once started, the demonstration once played, and the end.
last=0
for moment in 5 $((lead + (seconds - lead) / 2)) "$seconds"; do
  sleep $((moment - last))
  last=$moment
  if ! kill -0 "$app" 2>/dev/null; then
    echo "Cuelark ended before the run did." >&2
    exit 1
  fi
  import -display "$DISPLAY" -window root "$shots/run-${moment}s.png"
  echo "screenshot: $shots/run-${moment}s.png"
done
echo "Cuelark ran for $seconds s; the screenshots are in $shots."
