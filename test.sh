#!/usr/bin/env bash
# Builds Quorlex and runs every test twice: once in a normal build (build/), once with
# AddressSanitizer and UndefinedBehaviorSanitizer (build-sanitize/). Installs what is
# missing on a Debian machine first. Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
install_missing_deps

jobs=$(nproc 2>/dev/null || echo 2)

run_build() {
  local dir=$1; shift
  echo "==> configuring $dir"
  cmake -S . -B "$dir" -DQUORLEX_WERROR=ON "$@"
  echo "==> building $dir"
  cmake --build "$dir" --parallel "$jobs"
  echo "==> testing $dir"
  ctest --test-dir "$dir" --output-on-failure --parallel "$jobs"
}

run_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
# The sanitizer build leaves out the benchmarks: they only measure speed.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_build build-sanitize -DCMAKE_BUILD_TYPE=Debug -DQUORLEX_SANITIZE=ON -DQUORLEX_BUILD_BENCH=OFF
echo "==> all tests passed (normal and sanitizer builds)"
