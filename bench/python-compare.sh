#!/usr/bin/env bash
# python-compare.sh - the Python module's figures, in one run: quorlex.to_text beside
# html2text and BeautifulSoup on the corpus pages (bench/python-compare.py), then the corpus
# converted to files by python3 -m quorlex.dask with 1 and 2 workers beside quorlexrun -j1
# and -j2 on the same folder (the pages copied into one folder, each a name of its own).
#
# Usage: bench/python-compare.sh BUILD [STEP]
#   BUILD  a build folder with quorlexrun and the Python module
#   STEP   the library table converts every STEP-th page (default 1: all)
# Environment: CORPUS_DIR (default: ../corpus beside the repository).
# Needs Debian's python3-html2text and python3-bs4 (benchmark only), and GNU time.
set -euo pipefail
export LC_ALL=C.UTF-8

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "$1" && pwd)
step=${2:-1}
CORPUS_DIR=${CORPUS_DIR:-$(cd "$repo/.." && pwd)/corpus}
python=/usr/bin/python3
export PYTHONPATH="$build/python"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "load before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
"$python" "$repo/bench/python-compare.py" "$CORPUS_DIR" "$step"

mkdir "$work/pages"
while IFS= read -r name; do
  cp "$CORPUS_DIR/$name" "$work/pages/${name//\//_}"
done < "$CORPUS_DIR/real.list"
bytes=$(du -cb "$work"/pages/* | tail -1 | cut -f1)
megabytes=$(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1e6 }')

# Prints "| label | wall seconds | MB/s |" for the command after the label.
timed() {
  local label=$1 wall
  shift
  /usr/bin/time -f '%e' -o "$work/time" "$@" > /dev/null 2>&1 || true
  wall=$(cat "$work/time" | tail -1)
  echo "| $label | $wall | $(awk -v m="$megabytes" -v w="$wall" 'BEGIN { printf "%.1f", m / w }') |"
}

echo
echo "The corpus as files, $(ls "$work/pages" | wc -l) pages, $megabytes MB, one folder:"
echo
echo "| run | wall s | MB/s |"
echo "| --- | ---: | ---: |"
for jobs in 1 2; do
  timed "quorlexrun -j$jobs" "$build/apps/quorlexrun" "-j$jobs" "$work/pages/*.htm*" \
    "/OUTPUT=$work/q$jobs/"
done
for workers in 1 2; do
  timed "python3 -m quorlex.dask --workers $workers (cluster start included)" \
    "$python" -m quorlex.dask "$work/pages" --out "$work/d$workers" --workers "$workers"
done
if diff -r -q -I '^| Create date' "$work/q1" "$work/d2" > /dev/null; then
  echo; echo "quorlexrun's and quorlex.dask's outputs are the same (date lines aside)."
else
  echo; echo "quorlexrun's and quorlex.dask's outputs differ:"; diff -r -q "$work/q1" "$work/d2" | head
fi
