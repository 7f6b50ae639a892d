#!/usr/bin/env bash
# Runs each fuzz target for many inputs (default 2,000,000) and prints how many it ran.
# Usage: tools/fuzz.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-2000000}
tools/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null
mkdir -p build/fuzz/corpus
for target in number_text_fuzz sound_setting_fuzz; do
  corpus=build/fuzz/corpus/$target
  mkdir -p "$corpus"
  log=build/fuzz/$target.log
  if ! build/fuzz/tests/fuzz/$target -runs="$runs" -seed=1 -print_final_stats=1 "$corpus" >"$log" 2>&1; then
    echo "$target: FAILED, see $log"; exit 1
  fi
  echo "$target: $(sed -n 's/^stat::number_of_executed_units: *//p' "$log") inputs, no failure"
done
