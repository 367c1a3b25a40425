# Sourced by test.sh and run.sh. Installs, with apt-get, the Debian packages that the
# build needs and that are not there yet; does nothing when everything is present.
# "install_missing_deps program" asks only for what building the programs needs;
# without an argument the test and benchmark libraries and Qt 6 (for the desktop front end)
# come too.

missing_deps() {
  local missing=()
  command -v cmake >/dev/null 2>&1 || missing+=(cmake)
  command -v make >/dev/null 2>&1 || missing+=(make)
  command -v g++ >/dev/null 2>&1 || missing+=(g++)
  # Unicode character widths for laying out text of every script.
  [ -f /usr/include/utf8proc.h ] || missing+=(libutf8proc-dev)
  if [ "${1:-}" = program ]; then
    echo "${missing[@]}"
    return
  fi
  [ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
  [ -f /usr/include/gmock/gmock.h ] || missing+=(libgmock-dev)
  [ -f /usr/include/benchmark/benchmark.h ] || missing+=(libbenchmark-dev)
  # The test that builds the example against the installed library through pkg-config.
  command -v pkg-config >/dev/null 2>&1 || missing+=(pkg-config)
  # The Python module (Debian's interpreter /usr/bin/python3) and its tests, Dask's among them.
  [ -f /usr/include/pybind11/pybind11.h ] || missing+=(pybind11-dev)
  compgen -G "/usr/include/python3*/Python.h" >/dev/null || missing+=(python3-dev)
  /usr/bin/python3 -c "import pytest" 2>/dev/null || missing+=(python3-pytest)
  /usr/bin/python3 -c "import distributed" 2>/dev/null || missing+=(python3-distributed)
  # The style check of test.sh.
  command -v clang-format >/dev/null 2>&1 || missing+=(clang-format)
  command -v clang-tidy >/dev/null 2>&1 || missing+=(clang-tidy)
  # Qt 6 Widgets and Network (both in qt6-base-dev) for the desktop front end and its tests
  # (the programs build without it).
  compgen -G "/usr/lib/*/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake" >/dev/null ||
    missing+=(qt6-base-dev)
  # Qt's SVG plug-ins, which draw the program's scalable icon (the window icon itself is PNG).
  compgen -G "/usr/lib/*/qt6/plugins/iconengines/libqsvgicon.so" >/dev/null ||
    missing+=(libqt6svg6)
  echo "${missing[@]}"
}

# The fuzz targets (tests/fuzz, scripts/fuzz.sh) need clang and its fuzzer runtime. They
# are optional: everything else builds and tests without them.
fuzzing_available() {
  command -v clang++ >/dev/null 2>&1 &&
    compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null
}

# Installs clang and its runtime libraries for fuzzing (not called by test.sh).
install_fuzzing_deps() {
  fuzzing_available && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
      clang libclang-rt-14-dev
}

install_missing_deps() {
  local missing
  missing=$(missing_deps "${1:-}")
  [ -z "$missing" ] && return 0
  echo "==> installing missing packages: $missing"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null 2>&1 || { echo "error: need root or sudo to install: $missing" >&2; return 1; }
    sudo=sudo
  fi
  # shellcheck disable=SC2086
  $sudo apt-get update -qq && DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
}
