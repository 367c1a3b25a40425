#!/usr/bin/env bash
# Runs the libFuzzer programs of tests/fuzz (needs clang and its runtime libraries:
# apt-get install clang libclang-rt-14-dev).
#
#   scripts/fuzz.sh [--record] TARGET|all SECONDS [libFuzzer options...]
#
# Builds build-fuzz/ with clang, then runs the target (every target, one after the other,
# with "all") for SECONDS each, in one process. The corpus grows in build-fuzz/corpus/TARGET
# (seeded from tests/fuzz/seeds/TARGET, which is only read); a crash, hang, leak or sanitizer
# report is saved under build-fuzz/crashes/TARGET/ and ends the script with status 1. Copy
# such an input into tests/fuzz/regressions/TARGET/ once it is fixed: the replay tests run it
# in every build. With --record, each finished run adds a line to tests/fuzz/runs.tsv (date,
# target, seconds run, inputs executed, result).
set -euo pipefail
cd "$(dirname "$0")/.."

record=0
if [ "${1:-}" = --record ]; then record=1; shift; fi
[ $# -ge 2 ] || { echo "usage: scripts/fuzz.sh [--record] TARGET|all SECONDS [options]" >&2; exit 2; }
target=$1 seconds=$2
shift 2

build=build-fuzz
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUORLEX_FUZZ=ON -DQUORLEX_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz_targets --parallel 2 >/dev/null

if [ "$target" = all ]; then
  targets=$(cd "$build/tests/fuzz" && ls fuzz_* | grep -v '^fuzz_replay_' | sed 's/^fuzz_//')
else
  targets=$target
fi

status=0
for t in $targets; do
  program=$build/tests/fuzz/fuzz_$t
  [ -x "$program" ] || { echo "no fuzz target $t" >&2; exit 2; }
  mkdir -p "$build/corpus/$t" "$build/crashes/$t"
  dictionary=()
  [ -f "tests/fuzz/$t.dict" ] && dictionary=(-dict="tests/fuzz/$t.dict")
  echo "==> fuzzing $t for $seconds s"
  result=clean
  started=$SECONDS
  # Standard output is closed (-close_fd_mask=1): the programs' messages would only slow
  # the run. Reports go to standard error.
  if ! QT_QPA_PLATFORM=offscreen "$program" -max_total_time="$seconds" -timeout=30 \
      -rss_limit_mb=4096 -max_len=16384 -close_fd_mask=1 -print_final_stats=1 \
      -artifact_prefix="$build/crashes/$t/" "${dictionary[@]}" "$@" \
      "$build/corpus/$t" "tests/fuzz/seeds/$t" 2>"$build/fuzz-$t.log"; then
    result=failed
    status=1
  fi
  elapsed=$((SECONDS - started))
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/fuzz-$t.log" | tail -1)
  grep -E '^(Done|INFO: Seed|==[0-9]+==ERROR|SUMMARY)' "$build/fuzz-$t.log" || true
  echo "==> $t: $result, ${runs:-?} inputs in $elapsed s (log: $build/fuzz-$t.log)"
  if [ "$record" = 1 ]; then
    printf '%s\t%s\t%s\t%s\t%s\n' "$(date -u +%Y-%m-%dT%H:%MZ)" "$t" "$elapsed" "${runs:-?}" \
      "$result" >>tests/fuzz/runs.tsv
  fi
done
exit $status
