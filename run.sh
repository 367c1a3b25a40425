#!/usr/bin/env bash
# Installs what is missing, builds quorlexrun, and converts the bundled sample page
# (samples/sample.htm) to text on standard output. Build progress goes to standard error,
# so `./run.sh > sample.txt` keeps only the text.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
install_missing_deps program >&2

echo "==> building quorlexrun in build-run/" >&2
cmake -S . -B build-run -DCMAKE_BUILD_TYPE=Release -DQUORLEX_BUILD_TESTS=OFF \
  -DQUORLEX_BUILD_BENCH=OFF >&2
cmake --build build-run --parallel "$(nproc 2>/dev/null || echo 2)" --target quorlexrun >&2

echo "==> build-run/apps/quorlexrun /CONSOLE samples/sample.htm" >&2
exec build-run/apps/quorlexrun /CONSOLE samples/sample.htm
