#!/usr/bin/env bash
# The release as a Windows user gets it: unpacked into a fresh prefix where
# nothing is registered, it starts, saves entries and fires them at the
# stand-in player; then the same with the INI control registered, beside the
# program and without a copy beside it. Last, each of the two controls is
# registered as the README says for callers of its bitness and used by a
# script in the script host of that bitness.
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
cp "$win/bin/ScriptClient.vbs" "$prefix/drive_c/"

# Drive C's Windows name for a folder under it; winepath would start a Wine
# server for the prefix outside the rig.
windows_path() { local relative=${1#"$prefix/drive_c/"}; echo "C:\\${relative//\//\\}"; }
in_rig() { CUELARK_USE_DISPLAY=1 "$here/with-rig.sh" "$prefix" "$@"; }

run_tests() {  # APP_DIR TEST_PROGRAM [gtest filter]
  CUELARK_APP_DIR=$(windows_path "$1") in_rig "$here/wine-test.sh" "$win/bin/$2.exe" ${3:+--gtest_filter=$3}
}
# Wine's own programs: the 64-bit ones through the 64-bit loader (a bare
# `wine` starts the 32-bit ones), the 32-bit ones by their SysWOW64 path.
wine64=/usr/lib/wine/wine64
register() {  # /s or /u /s
  in_rig "$wine64" regsvr32 "$@" "$(windows_path "$app")\\BrevoniControlX.dll"
}

echo "== unregistered, as unpacked"
run_tests "$app" ui_clock_tests
echo "== registered, with the control beside the program"
register /s
run_tests "$app" ui_store_tests '*FirstSave*:*SecondSave*'
echo "== registered, the program alone in its folder"
run_tests "$alone" ui_store_tests '*FirstSave*'
register /u /s

# A script in the script host of one bitness, with the control of that
# bitness registered as the README says, then unregistered again.
script_test() {  # LOADER SYSTEM_FOLDER CONTROL_FOLDER VALUE
  local system=$2 dll
  dll="$(windows_path "$3")\\BrevoniControlX.dll"
  in_rig "$1" "$system\\regsvr32.exe" /s "$dll"
  in_rig "$1" "$system\\cscript.exe" //nologo 'C:\ScriptClient.vbs' 'C:\script.ini' "$4" | tr -d '\r'
  in_rig "$1" "$system\\regsvr32.exe" /u /s "$dll"
  grep -qx "Value=$4" <(tr -d '\r' <"$prefix/drive_c/script.ini") || { echo "the script's value is not in the file" >&2; exit 1; }
}
echo "== the x64 control for 64-bit scripts"
script_test "$wine64" 'C:\windows\system32' "$app" 64-bit
if "$(dirname "$0")/runs-32-bit.sh"; then
  echo "== the x86 control for 32-bit scripts"
  script_test wine 'C:\windows\syswow64' "$app/x86" 32-bit
else
  echo "== the x86 control for 32-bit scripts: skipped, this machine's kernel starts no 32-bit programs"
fi
