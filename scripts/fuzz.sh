#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang and runs each from its seed corpus in
# tests/fuzz/corpus; exits non-zero when a target finds a crash.
# Usage: bash scripts/fuzz.sh [seconds] [build dir]
#          Random exploration for the given seconds a target (default 600). What a run learns stays
#          in <build dir>/corpus for the next run; an input it finds joins the seeds with its fix.
#        bash scripts/fuzz.sh --fixed [runs] [build dir]
#          The CI stage: every seed is replayed, then the given number of inputs a target (default
#          20000) is explored from a fixed seed, so a commit passes or fails alike on every run.
set -euo pipefail

mode=random
if [ "${1:-}" = "--fixed" ]; then
  mode=fixed
  shift
fi
amount="${1:-}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${2:-$root/build-fuzz}"

cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2

# Sets `launch` and `options` for a run of target $1 from the seeds in $2.
random_options() {
  launch=()
  local work="$build/corpus/$1"  # what a run learns stays out of the tree
  mkdir -p "$work"
  options=("-max_total_time=${amount:-600}" "$work" "$2")
}

fixed_options() {
  # Pointers met in comparisons join the fuzzer's dictionary and steer its mutations, so they must
  # be the same on every run: no address randomisation, and no rereading of the output directory
  # once a second (-reload), whose allocations would shift the heap by the machine's speed.
  launch=()
  if setarch "$(uname -m)" -R true 2>/dev/null; then
    launch=(setarch "$(uname -m)" -R)
  else
    echo "setarch -R is refused here: the exploration may differ between runs"
  fi
  local work="$build/fixed/$1"  # emptied first: nothing of an earlier run steers this one
  local seeds="$build/fixed/$1.seeds"
  rm -rf "$work"
  mkdir -p "$work"
  # Named in one order on every file system, since the order of the seeds steers the exploration.
  find "$2" -type f | LC_ALL=C sort | paste -sd, - | tr -d "\n" >"$seeds"
  options=(-seed=1 "-runs=${amount:-20000}" -shuffle=0 -reload=0 "-seed_inputs=@$seeds" "$work")
}

status=0
for seeds in "$root"/tests/fuzz/corpus/*/; do
  name="$(basename "$seeds")"
  mkdir -p "$build/crashes/$name"
  "${mode}_options" "$name" "$seeds"
  echo "== $name: ${options[*]:0:2}"
  if ! "${launch[@]}" "$build/$name" -timeout=10 -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
      -artifact_prefix="$build/crashes/$name/" "${options[@]}" 2>"$build/$name.log"; then
    echo "!! $name failed; see $build/$name.log and $build/crashes/$name/"
    tail -n 40 "$build/$name.log"
    status=1
  fi
  grep -E '^stat::number_of_executed_units|^stat::average_exec_per_sec|^#[0-9]+ *DONE' "$build/$name.log" || true
done
exit "$status"
