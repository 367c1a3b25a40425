#!/usr/bin/env bash
# Converts hostile inputs too big for every test run and prints, for each, the wall time,
# the peak memory (maximum resident set) and that memory as a multiple of the input size.
# The same shapes at test sizes run in tests/e2e/HostileInputTest.cpp.
#
#   bench/hostile.sh [SCALE]     # SCALE (default 1) multiplies every size
#
# Builds a Release quorlexrun in build-release/. The inputs are made in a temporary folder
# (about 300 MB at scale 1) and removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
scale=${1:-1}

source bench/common.sh
program=$(release_quorlexrun "$PWD")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/out"

# make NAME BYTES: writes an input of about BYTES bytes to $work/NAME.htm (Python makes it).
make() {
  python3 - "$work/$1.htm" "$2" "$1" <<'PY'
import sys
path, size, shape = sys.argv[1], int(sys.argv[2]), sys.argv[3]
def repeat(unit, prefix=b"", suffix=b""):
    return prefix + unit * max(1, (size - len(prefix) - len(suffix)) // len(unit)) + suffix
shapes = {
    "single-line-page": lambda: repeat(
        b'<div class="c"><h2>Title</h2><p>Some <b>text</b> with a <a href="https://example.com/p">'
        b'link</a> &amp; an entity.</p><ul><li>one</li><li>two</li></ul>'
        b'<table><tr><td>a</td><td>b</td></tr></table></div>', b"<html><body>", b"</body></html>"),
    "open-comment": lambda: repeat(b"text <p>para</p> ", b"<!-- never closed "),
    "less-thans": lambda: b"<" * size,
    "nul-bytes": lambda: b"\0" * size,
    "long-lines": lambda: repeat(b"<p>" + b"word " * 200000 + b"</p>\n"),
    "table-rows": lambda: repeat(b"<tr><td>a</td><td>b</td></tr>\n", b"<table>", b"</table>"),
    "nested-lists": lambda: repeat(b"<ul><li>", b"", b"deep"),
}
with open(path, "wb") as f:
    f.write(shapes[shape]())
PY
}

echo "| input | MB | seconds | peak MB | peak / input | exit |"
echo "| --- | ---: | ---: | ---: | ---: | ---: |"
while read -r name megabytes; do
  bytes=$(python3 -c "print(int($megabytes * $scale * 1000000))")
  make "$name" "$bytes"
  size=$(stat -c %s "$work/$name.htm")
  measure "$program" "$work/$name.htm" "/O=$work/out/"
  python3 -c "
size, kb = $size, $kilobytes
print(f'| $name | {size / 1e6:.0f} | $seconds | {kb / 1000:.0f} | {kb * 1000 / size:.1f} | $status |')"
  rm -f "$work/$name.htm" "$work/out/"*
done <<'SHAPES'
single-line-page 200
open-comment 50
less-thans 10
nul-bytes 10
long-lines 20
table-rows 20
nested-lists 2
SHAPES
