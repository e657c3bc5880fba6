#!/usr/bin/env bash
# Succeeds when this machine can start 32-bit programs under Wine. Some
# kernels are built without 32-bit support: there the 32-bit loader that
# wine32:i386 installs fails with "Exec format error", and the x86 control's
# tests cannot run however the prefix is made.
[ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
