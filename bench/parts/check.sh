#!/usr/bin/env bash
# Checking a full schedule's inputs ahead, on real files.
# Usage: check.sh NATIVE_BUILD_DIR WINDOWS_BUILD_DIR
set -euo pipefail
"$1/bench/check/check_bench"
