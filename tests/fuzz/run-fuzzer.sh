#!/usr/bin/env bash
# Runs one libFuzzer target for a set time, starting from the seed corpus in
# the tree. What it learns goes to a working corpus outside the tree (emptied
# first with --fresh, so that a test run starts from the seeds alone), and an
# input that breaks a property is kept there as crash-* for replay:
#   FUZZER WORK-FOLDER/crash-...
# Usage: run-fuzzer.sh [--fresh] FUZZER SEED-FOLDER SECONDS WORK-FOLDER
set -euo pipefail
fresh=0
if [ "${1:-}" = --fresh ]; then fresh=1; shift; fi
fuzzer=$1 seeds=$2 seconds=$3 work=$4
[ "$fresh" = 1 ] && rm -rf "$work/corpus"
mkdir -p "$work/corpus"
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/" "$work/corpus" "$seeds"
