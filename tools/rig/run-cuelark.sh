#!/usr/bin/env bash
# Starts Cuelark from build/run (its store survives between runs) beside a
# player: the real one if the prefix has it, else the stand-in. On first use
# it saves a demonstration entry due a few seconds ahead, so that something
# visibly plays. Without a display of the user's, it runs on the rig's
# virtual display for a minute and leaves screenshots.
# Usage: run-cuelark.sh WINDOWS_BUILD_DIR RUN_FOLDER
set -euo pipefail
win=$1
run=$2
mkdir -p "$run/player"
cp "$win/scheduler/win/Cuelark.exe" "$win/inicontrol/BrevoniControlX.dll" "$run/"

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
  cp "$win/tools/player/WinampStandIn.exe" "$player"
  echo "No player installed in the prefix: using the stand-in player."
fi
player_dir=$(dirname "$player")
exe_w=$(winepath -w "$player")
if [ ! -f "$run/winamp.ini" ]; then
  printf '[Winamp]\r\nExe=%s\r\nPlaylist=%s\r\n' "$exe_w" "${exe_w%???}m3u" >"$run/winamp.ini"
fi
if [ ! -f "$run/cue.ini" ]; then
  due=$(date -d '+25 seconds' +%H:%M:%S)
  today=$(date +%Y-%m-%d)
  # Placed beside the player's window, so that both can be watched.
  printf '[Saved Commands]\r\nname1=Demonstration\r\ncommand1=C:\\Music\\Demonstration.mp3\r\nstartDate1=%s\r\nstartTime1=%s\r\nisChecked1=True\r\nremWhenDone1=1\r\n[Total Count]\r\ncount=1\r\n[Position]\r\nLeft=9000\r\nTop=600\r\n' \
    "$today" "$due" >"$run/cue.ini"
  echo "Saved a demonstration entry due at $due; watch the player's window."
fi

# Cuelark finds the player by its bare name, as on Windows.
export WINEPATH="$(winepath -w "$player_dir")"
(cd "$player_dir" && wine "$player" >/dev/null 2>&1 </dev/null) &
player_pid=$!
trap 'kill $player_pid 2>/dev/null || true' EXIT

if [ "${CUELARK_USE_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
  echo "Cuelark runs on your display $DISPLAY; close its window (or File > Exit) to end."
  (cd "$run" && wine "$run/Cuelark.exe" >/dev/null 2>&1 </dev/null)
else
  shots=$(cd "$run/.." && pwd)/screenshots
  mkdir -p "$shots"
  echo "No display found: Cuelark runs on a virtual display for 60 s; screenshots go to $shots."
  (cd "$run" && wine "$run/Cuelark.exe" >/dev/null 2>&1 </dev/null) &
  app_pid=$!
  for moment in 5 35 60; do
    sleep $((moment - ${last:-0})); last=$moment
    import -display "$DISPLAY" -window root "$shots/run-${moment}s.png"
    echo "screenshot: $shots/run-${moment}s.png"
  done
  kill "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
fi
