#!/usr/bin/env bash
# Runs one libFuzzer target for a set time, starting from the seed corpus in
# the tree. What it learns goes to a working corpus outside the tree, and an
# input that breaks a property is kept there as crash-* for replay:
#   FUZZER crash-FILE
# Usage: run-fuzzer.sh FUZZER SEED-FOLDER SECONDS WORK-FOLDER
set -euo pipefail
fuzzer=$1 seeds=$2 seconds=$3 work=$4
mkdir -p "$work/corpus"
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/" "$work/corpus" "$seeds"
