#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang and runs each for the given seconds
# (default 600) from its seed corpus; exits non-zero as soon as a target finds a crash.
# Usage: bash scripts/fuzz.sh [seconds] [build dir]
set -euo pipefail

seconds="${1:-600}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${2:-$root/build-fuzz}"

cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2

status=0
for seeds in "$root"/tests/fuzz/corpus/*/; do
  name="$(basename "$seeds")"
  work="$build/corpus/$name"  # what a run learns stays out of the tree
  mkdir -p "$work" "$build/crashes/$name"
  echo "== $name: ${seconds}s"
  if ! "$build/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
      -print_final_stats=1 -artifact_prefix="$build/crashes/$name/" "$work" "$seeds" 2>"$build/$name.log"; then
    echo "!! $name failed; see $build/$name.log and $build/crashes/$name/"
    tail -n 40 "$build/$name.log"
    status=1
  fi
  grep -E '^stat::number_of_executed_units|^#[0-9]+ *DONE' "$build/$name.log" || true
done
exit "$status"
