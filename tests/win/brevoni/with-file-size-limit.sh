#!/usr/bin/env bash
# Runs a command whose files cannot grow past KIB KiB: a write beyond fails
# (EFBIG, as on a full disk) instead of ending the process with SIGXFSZ.
# The command learns the limit from CUELARK_FILE_SIZE_LIMIT_KIB.
# Usage: with-file-size-limit.sh KIB COMMAND [ARGS...]
set -euo pipefail
kib=$1; shift
trap '' XFSZ
ulimit -f "$kib"  # bash counts in blocks of 1024 bytes
export CUELARK_FILE_SIZE_LIMIT_KIB=$kib
exec "$@"
