#!/usr/bin/env bash
# The release as a Windows user gets it: unpacked into a fresh prefix where
# nothing is registered, it starts, saves entries and fires them at the
# stand-in player; then the same with the INI control registered, beside the
# program and without a copy beside it.
# Usage: dist-test.sh ZIP WINDOWS_BUILD_DIR SCRATCH_DIR  (inside a started rig)
set -euo pipefail
zip=$1
win=$2
scratch=$3
here=$(cd "$(dirname "$0")" && pwd)
prefix=$scratch/prefix
rm -rf "$scratch"
mkdir -p "$scratch"
trap 'rm -rf "$scratch"' EXIT
"$here/make-prefix.sh" "$prefix" 96
unzip -q "$zip" -d "$prefix/drive_c"
app=$(ls -d "$prefix"/drive_c/cuelark-*)
alone=$prefix/drive_c/alone
mkdir -p "$alone"
cp "$app/Cuelark.exe" "$alone/"

# Drive C's Windows name for a folder under it; winepath would start a Wine
# server for the prefix outside the rig.
windows_path() { local relative=${1#"$prefix/drive_c/"}; echo "C:\\${relative//\//\\}"; }

run_tests() {  # APP_DIR TEST_PROGRAM [gtest filter]
  CUELARK_APP_DIR=$(windows_path "$1") CUELARK_USE_DISPLAY=1 \
    "$here/with-rig.sh" "$prefix" "$here/wine-test.sh" "$win/tests/win/$2.exe" ${3:+--gtest_filter=$3}
}
register() {  # /s or /u /s
  CUELARK_USE_DISPLAY=1 "$here/with-rig.sh" "$prefix" wine regsvr32 "$@" "$(windows_path "$app")\\BrevoniControlX.dll"
}

echo "== unregistered, as unpacked"
run_tests "$app" ui_clock_tests
echo "== registered, with the control beside the program"
register /s
run_tests "$app" ui_store_tests '*FirstSave*:*SecondSave*'
echo "== registered, the program alone in its folder"
run_tests "$alone" ui_store_tests '*FirstSave*'
register /u /s
