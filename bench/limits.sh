#!/usr/bin/env bash
# Converts inputs up to the largest one quorlexrun takes (1.5 GiB of text) and just past it,
# and prints the wall time, MB/s and peak memory of each: the time should grow in
# proportion to the size (the MB/s column stays level), and an input past the limit must be
# refused with its message, in bounded memory, without writing anything.
#
#   bench/limits.sh [markup|text]     # the mode of the conversions (default markup)
#   SIZES="1500 1650" bench/limits.sh  # only these sizes, in MB
#
# Builds a Release quorlexrun in build-release/. The inputs are made in a temporary folder
# (about 3.5 GB of disk, with the outputs) and removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-markup}
sizes=${SIZES:-200 400 800 1500 1650}

source bench/common.sh
program=$(release_quorlexrun "$PWD")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/out"
if [ "$mode" = markup ]; then
  printf 'Remove all tags : No\nRemove HTML-style comments : Yes\n' >"$work/mode.pol"
else
  printf 'Remove all tags : Yes\n' >"$work/mode.pol"
fi

# A page of many short lines, each a block with a heading, a link, a comment, a list and a
# table, cut to BYTES bytes.
python3 - "$work/page.htm" 1700000000 <<'PY'
import sys
path, size = sys.argv[1], int(sys.argv[2])
unit = (b'<div class="c"><h2>Title</h2><p>Some <b>text</b> with a <a href="https://example.com/p">'
        b'link</a> &amp; an entity.</p><!-- note --><ul><li>one</li><li>two</li></ul>'
        b'<table><tr><td>a</td><td>b</td></tr></table></div>\n')
block = unit * 10000
with open(path, "wb") as f:
    written = 0
    while written + len(block) <= size:
        f.write(block)
        written += len(block)
    f.write(unit * ((size - written) // len(unit)))
PY

echo "| input | MB | seconds | MB/s | peak MB | exit |"
echo "| --- | ---: | ---: | ---: | ---: | ---: |"
for megabytes in $sizes; do
  input=$work/in-$megabytes.htm
  head -c "$((megabytes * 1000000))" "$work/page.htm" >"$input"
  measure "$program" "$input" "$work/mode.pol" "/O=$work/out/" "/LOG=$work/run.log"
  python3 -c "
mb, s, kb = $megabytes, $seconds, $kilobytes
print(f'| $mode, $megabytes MB | {mb} | {s} | {mb / s:.1f} | {kb / 1000:.0f} | $status |')"
  if [ "$status" != 0 ]; then grep -m1 'ERROR' "$work/run.log" | sed 's/^/    /' >&2; fi
  rm -f "$input" "$work/out/"*
done
