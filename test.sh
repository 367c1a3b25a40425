#!/usr/bin/env bash
# Builds Quorlex and runs every test twice: once in a normal build (build/), once with
# AddressSanitizer and UndefinedBehaviorSanitizer (build-sanitize/); the threads tests run a
# third time under ThreadSanitizer (build-tsan/). Checks the style
# (scripts/check-style.sh) and that a Release build has no warnings (build-werror/).
# Installs what is missing on a Debian machine first. Exits non-zero on the first failure.
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

# The house style: clang-format on every file, clang-tidy on what the last commit changed.
echo "==> checking the style"
scripts/check-style.sh build

# A Release build with warnings as errors: optimization finds warnings the other builds do
# not. The product code only; the test programs were built with warnings as errors above.
echo "==> configuring build-werror (Release)"
cmake -S . -B build-werror -DCMAKE_BUILD_TYPE=Release -DQUORLEX_WERROR=ON -DQUORLEX_BUILD_TESTS=OFF
echo "==> building build-werror"
cmake --build build-werror --parallel "$jobs"

# Permission bits do not stop root, so the tests that need an unreadable or unwritable
# folder skip themselves under root. Run the test programs once more as an unprivileged
# user so those run too (when that user can reach the build).
if [ "$(id -u)" = 0 ] && id nobody >/dev/null 2>&1; then
  for program in "$PWD"/build/tests/*/*_tests; do
    if runuser -u nobody -- test -x "$program"; then
      echo "==> $(basename "$program") as user nobody"
      # The front end's tests are Qt Test programs, the others GoogleTest programs.
      brief=--gtest_brief=1
      [ "$(basename "$program")" = frontend_tests ] && brief=-silent
      (cd /tmp && runuser -u nobody -- "$program" "$brief")
    else
      echo "==> user nobody cannot reach $program; permission tests stay skipped"
    fi
  done
fi

# The sanitizer build leaves out the benchmarks: they only measure speed.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_build build-sanitize -DCMAKE_BUILD_TYPE=Debug -DQUORLEX_SANITIZE=ON -DQUORLEX_BUILD_BENCH=OFF
# ThreadSanitizer watches conversions running on many threads at once: only the program
# of tests/threads is built (build-tsan/), and only its tests run.
echo "==> configuring build-tsan (ThreadSanitizer)"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORLEX_WERROR=ON -DQUORLEX_TSAN=ON \
  -DQUORLEX_BUILD_FRONTEND=OFF -DQUORLEX_BUILD_BENCH=OFF
echo "==> building build-tsan (thread_tests)"
cmake --build build-tsan --parallel "$jobs" --target thread_tests
echo "==> testing build-tsan (thread_tests)"
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan -L threads --output-on-failure
# The fuzz targets, a few seconds each, when clang and its fuzzer runtime are installed
# (install_fuzzing_deps in scripts/install-deps.sh); their saved inputs were replayed above
# in both builds either way.
if fuzzing_available; then
  echo "==> fuzzing each target briefly (build-fuzz/)"
  scripts/fuzz.sh all 3
else
  echo "==> clang's fuzzer runtime is not installed: the fuzz targets did not run"
fi
echo "==> all tests passed (normal, sanitizer and thread sanitizer builds)"
