#!/usr/bin/env bash
# Reading a full history file as the History window does.
# Usage: history.sh NATIVE_BUILD_DIR WINDOWS_BUILD_DIR
set -euo pipefail
wine "$2/bin/history_bench.exe" | tr -d '\r'
