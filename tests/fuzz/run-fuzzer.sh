#!/usr/bin/env bash
# Runs a libFuzzer target for a bounded time, starting from its seeds.
#   run-fuzzer.sh FUZZER SEED_FOLDER WORK_FOLDER SECONDS
# New inputs go to WORK_FOLDER/corpus, so the committed seeds stay as they are;
# an input that breaks the target is kept in WORK_FOLDER/artifacts.
set -euo pipefail
fuzzer=$1 seeds=$2 work=$3 seconds=$4
mkdir -p "$work/corpus" "$work/artifacts"
exec "$fuzzer" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -artifact_prefix="$work/artifacts/" -print_final_stats=1 "$work/corpus" "$seeds"
