#!/usr/bin/env bash
# Installs the icons component of the project built in BUILD into a temporary prefix and
# checks the hicolor theme it fills: the scalable SVG and a PNG of each size, each PNG
# of the size of its folder (read from its header), and no other size.
#
#   tests/frontend/icons-install-test.sh BUILD
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work" --component icons >/dev/null
theme=$work/share/icons/hicolor
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# The width and height of a PNG, from its header chunk.
png_size() {
  local width height
  width=$(od -An -tu1 -j16 -N4 "$1" | awk '{print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4}')
  height=$(od -An -tu1 -j20 -N4 "$1" | awk '{print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4}')
  echo "${width}x${height}"
}

[ -f "$theme/scalable/apps/quorlex.svg" ] || fail "no scalable/apps/quorlex.svg"
expected=(16x16 32x32 48x48 64x64 128x128 256x256 scalable)
for size in "${expected[@]}"; do
  [ "$size" = scalable ] && continue
  icon=$theme/$size/apps/quorlex.png
  if [ ! -f "$icon" ]; then
    fail "no $size/apps/quorlex.png"
  elif [ "$(png_size "$icon")" != "$size" ]; then
    fail "$size/apps/quorlex.png is $(png_size "$icon")"
  fi
done
installed=$(cd "$theme" && ls | sort | tr '\n' ' ')
wanted=$(printf '%s\n' "${expected[@]}" | sort | tr '\n' ' ')
[ "$installed" = "$wanted" ] || fail "theme folders: $installed instead of: $wanted"

if [ "$failures" -ne 0 ]; then
  echo "0 passed, $failures failed"
  exit 1
fi
echo "icons installed: ${expected[*]}"
