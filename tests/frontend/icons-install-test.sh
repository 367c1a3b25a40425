#!/usr/bin/env bash
# Installs the icons component of the project built in BUILD into a temporary prefix and
# checks the hicolor theme it fills: the scalable SVG, and a PNG of each size whose header
# gives the size of its folder, and no other size.
#
#   tests/frontend/icons-install-test.sh BUILD
set -euo pipefail
export LC_ALL=C
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$1" --prefix "$work" --component icons >/dev/null
cd "$work/share/icons/hicolor"

found="$(ls | tr '\n' ' ')$([ -f scalable/apps/quorlex.svg ] && echo svg)"
for size in $(ls | grep -v scalable); do
  # A PNG's width and height are the big-endian numbers at bytes 16 and 20.
  found+=" $size=$(od -An -tu1 -j16 -N8 "$size/apps/quorlex.png" |
    awk '{print ($3 * 256 + $4) "x" ($7 * 256 + $8)}')"
done
expected="128x128 16x16 256x256 32x32 48x48 64x64 scalable svg 128x128=128x128 16x16=16x16 \
256x256=256x256 32x32=32x32 48x48=48x48 64x64=64x64"
if [ "$found" != "$expected" ]; then
  printf 'installed: %s\nexpected:  %s\n0 passed, 1 failed\n' "$found" "$expected" >&2
  exit 1
fi
echo "icons installed: $found"
