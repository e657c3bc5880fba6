#!/usr/bin/env bash
# `make run` on a machine without a display, shortened: with no display of
# the user's, the run goes to the rig's own virtual display, the
# demonstration entry fires at the stand-in player, the screenshots are left
# behind and the run ends by itself with success.
# Usage: run-test.sh WINDOWS_BUILD_DIR PREFIX SCRATCH_DIR
# PREFIX gets a rig of its own, as `make run` starts one; no other rig may be
# running for it.
set -euo pipefail
win=$1
prefix=$2
scratch=$3
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$scratch"
mkdir -p "$scratch"
trap 'rm -rf "$scratch"' EXIT

env -u DISPLAY -u CUELARK_RIG_DISPLAY CUELARK_USE_DISPLAY=1 CUELARK_RUN_SECONDS=${CUELARK_RUN_SECONDS:-15} \
  "$here/with-rig.sh" "$prefix" "$here/run-cuelark.sh" "$win" "$scratch/run" "$scratch/shots" | tee "$scratch/output"

fail() { echo "run-test: $*" >&2; exit 1; }
grep -q "No display of yours" "$scratch/output" || fail "the run did not take the rig's display for a missing one"
grep -q "screenshots are in $scratch/shots" "$scratch/output" || fail "the run did not say where the screenshots are"
shots=("$scratch"/shots/run-*s.png)
[ "${#shots[@]}" -eq 3 ] || fail "expected three screenshots, found: ${shots[*]}"
for shot in "${shots[@]}"; do
  [ "$(identify -format '%wx%h' "$shot")" = 1280x1024 ] || fail "$shot is not a picture of the screen"
done
# The player received the entry's command as copy-data: its text in hex,
# with the closing zero.
command_hex=$(printf '%s' 'C:\Music\Demonstration.mp3' | od -An -tx1 | tr -d ' \n')00
grep -q "kind=COPYDATA .*data=$command_hex" "$scratch/run/player/Winamp.log" ||
  fail "the demonstration entry did not reach the player; its log: $(cat "$scratch/run/player/Winamp.log" 2>/dev/null)"
echo "run-test: passed"
