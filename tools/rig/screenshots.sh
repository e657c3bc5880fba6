#!/usr/bin/env bash
# Pictures of the running program, taken on the rig's virtual display.
# Usage: screenshots.sh WINDOWS_BUILD_DIR OUTPUT_DIR [SUFFIX]
set -euo pipefail
win=$1
out=$2
suffix=${3:-}
mkdir -p "$out"
raw=$(mktemp -d)
trap 'rm -rf "$raw"' EXIT
wine "$win/bin/screenshots.exe" "$(winepath -w "$raw")" \
  "$(winepath -w "$win/bin/Cuelark.exe")" "$(winepath -w "$win/bin/BrevoniControlX.dll")" | tr -d '\r'
for bmp in "$raw"/*.bmp; do
  name=$(basename "$bmp" .bmp)
  # The screen is mostly empty: keep the part with the tray window.
  if [ "$name" = screen-tray ]; then name=tray; convert "$bmp" -trim +repage "$out/$name$suffix.png"
  else convert "$bmp" "$out/$name$suffix.png"; fi
  echo "screenshot: $out/$name$suffix.png"
done
