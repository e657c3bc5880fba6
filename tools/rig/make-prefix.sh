#!/usr/bin/env bash
# Prepares the private Wine prefix the tests and the demonstration run in.
# Usage: make-prefix.sh PREFIX [DPI]
# The prefix is made once; a stamp file marks it complete so an interrupted
# preparation is redone rather than half used. A prefix made before 32-bit
# Wine was installed starts nothing once it is (every program fails to load
# kernel32.dll): one whose stamp does not say it was made with 32-bit Wine,
# or without the 32-bit system folder, is made again. On a kernel that starts
# no 32-bit programs the prefix is 64-bit only, and says so.
set -euo pipefail
prefix=$1
dpi=${2:-96}
if "$(dirname "$0")/runs-32-bit.sh"; then
  stamp="$prefix/.cuelark-ready-$dpi-wow64"
  [ -f "$stamp" ] && [ -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ] && exit 0
  wow64=1
else
  stamp="$prefix/.cuelark-ready-$dpi-win64"
  [ -f "$stamp" ] && exit 0
  echo "make-prefix: this kernel starts no 32-bit programs; the prefix is 64-bit only and the x86 tests will be skipped" >&2
  wow64=0
fi

rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine's own programs in their 64-bit form: a bare `wine` starts the 32-bit ones.
wine64=/usr/lib/wine/wine64
# Keep the preparation's server off the caller's pipes, and stop it by prefix.
"$wine64" wineboot -i >/dev/null 2>&1 </dev/null
if [ "$wow64" = 1 ] && [ ! -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ]; then
  echo "make-prefix: $prefix has no 32-bit support; is wine32:i386 installed?" >&2
  exit 1
fi
reg() { "$wine64" reg add "$@" /f >/dev/null 2>&1 </dev/null; }
# Without a window manager every hide waits two seconds for one; unmanaged
# windows make hiding immediate.
reg 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N
reg 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ /d 'Liberation Sans'
reg 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' /t REG_SZ /d 'Liberation Serif'
reg 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /t REG_SZ /d 'Liberation Mono'
reg 'HKCU\Software\Wine\Fonts\Replacements' /v 'Microsoft Sans Serif' /t REG_SZ /d 'Liberation Sans'
reg 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi"
reg 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi"
fonts="$prefix/drive_c/windows/Fonts"
mkdir -p "$fonts"
for f in /usr/share/wine/fonts/*; do
  [ -e "$f" ] && ln -sf "$f" "$fonts/"
done
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
touch "$stamp"
