#!/usr/bin/env bash
# Installs the project built in BUILD into a temporary prefix, builds examples/convert.cpp
# against the installed package twice (find_package through CMake, then g++ with the flags
# pkg-config gives) and checks that both print the text of a page.
#
#   tests/api/install-test.sh BUILD SOURCE CXX
set -euo pipefail
build=$1 source=$2 compiler=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" >/dev/null
printf '<html><head><title>Kept</title></head><body><h1>Installed</h1>
<p>The installed library converts <a href="https://example.org/">this page</a>.</p></body></html>' \
  > "$work/page.htm"
expected=$'Installed\n=========\n\nThe installed library converts this page [1].\n\n[1] https://example.org/'

check() {
  local what=$1 actual
  shift
  actual=$("$@" "$work/page.htm")
  if [ "$actual" != "$expected" ]; then
    printf '%s printed:\n%s\n--- instead of:\n%s\n' "$what" "$actual" "$expected" >&2
    exit 1
  fi
  echo "$what: ok"
}

cmake -S "$source/examples" -B "$work/example" -DCMAKE_PREFIX_PATH="$work/prefix" \
  -DCMAKE_CXX_COMPILER="$compiler" >/dev/null
cmake --build "$work/example" >/dev/null
check "find_package(Quorlex)" "$work/example/convert"

export PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig:$work/prefix/share/pkgconfig"
libdir=$(pkg-config --variable=libdir quorlex)
# shellcheck disable=SC2046  # the flags are words
"$compiler" -std=c++17 "$source/examples/convert.cpp" $(pkg-config --cflags --libs quorlex) \
  -o "$work/convert-pkg-config"
check "pkg-config quorlex" env LD_LIBRARY_PATH="$libdir" "$work/convert-pkg-config"
