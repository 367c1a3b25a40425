#!/usr/bin/env bash
# Word recall: for a folder of pages, the share of the words of a careful reader's text
# (w3m -dump at 72 columns) that quorlexrun's text holds too. Words are compared as a
# multiset of lower-cased runs of letters and digits; East Asian wide characters count one
# by one, since those scripts put no blanks between words. A conversion that loses text
# shows as a lower share; words that only quorlexrun writes (its header, the reference
# table) do not count either way.
#
#   bench/word-recall.sh FOLDER [COUNT]   # the pages (*.htm, *.html) under FOLDER; with COUNT,
#                                         # the first COUNT of them in name order
#   QUORLEXRUN=path bench/word-recall.sh ...   # a given program instead of a Release build
#
# Prints one line per page with a share below 0.95, then the totals.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 1 ] || { echo "usage: bench/word-recall.sh FOLDER [COUNT]" >&2; exit 2; }
folder=$1
count=${2:-0}
command -v w3m >/dev/null || { echo "w3m is needed (apt-get install w3m)" >&2; exit 1; }
source bench/common.sh
program=${QUORLEXRUN:-$(release_quorlexrun "$PWD")}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
find -L "$folder" -type f \( -name '*.htm' -o -name '*.html' \) | LC_ALL=C sort > "$work/pages"
[ "$count" -gt 0 ] && head -n "$count" "$work/pages" > "$work/some" && mv "$work/some" "$work/pages"
n=0
while IFS= read -r page; do
  n=$((n + 1))
  w3m -dump -cols 72 -T text/html "$page" > "$work/$n.reader" 2>/dev/null || true
  "$program" - < "$page" > "$work/$n.ours" 2>/dev/null || true
  printf '%s\t%s\n' "$page" "$n" >> "$work/index"
done < "$work/pages"

python3 - "$work" <<'PY'
import collections, re, sys, unicodedata
work = sys.argv[1]
word = re.compile(r"\w+", re.UNICODE)

def words(path):
    text = open(path, encoding="utf-8", errors="replace").read().lower()
    counted = collections.Counter()
    for run in word.findall(text):
        wide = [c for c in run if unicodedata.east_asian_width(c) in "WF"]
        narrow = "".join(" " if unicodedata.east_asian_width(c) in "WF" else c for c in run)
        counted.update(wide)
        counted.update(narrow.split())
    return counted

found = total = 0
for line in open(f"{work}/index", encoding="utf-8"):
    page, n = line.rstrip("\n").split("\t")
    reader, ours = words(f"{work}/{n}.reader"), words(f"{work}/{n}.ours")
    page_total = sum(reader.values())
    page_found = sum(min(k, ours[w]) for w, k in reader.items())
    found += page_found
    total += page_total
    if page_total and page_found / page_total < 0.95:
        print(f"{page_found / page_total:.3f}  {page}")
pages = sum(1 for _ in open(f"{work}/index"))
share = found / total if total else 1.0
print(f"pages {pages}  reader's words {total}  also in ours {found}  recall {share:.4f}")
PY
