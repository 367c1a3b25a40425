#!/usr/bin/env bash
# desktop-compare.sh - a run of many pages through the desktop program's window beside
# quorlexrun on the same pages, in one run, under a virtual X server: the window's time with
# the status window shown and hidden, how long the window took to answer an event during
# the run (bench/DesktopRunBench.cpp), and quorlexrun's time, alternating, RUNS times each.
#
# Usage: bench/desktop-compare.sh BUILD [COUNT]
#   BUILD  a build folder with apps/quorlexrun and bench/desktop_run_bench
#   COUNT  how many corpus pages to convert (default 270)
# Environment: CORPUS_DIR (default: ../corpus beside the repository), RUNS (default 3).
# Needs xvfb-run (Debian's xvfb) and GNU time.
set -euo pipefail
export LC_ALL=C.UTF-8

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "$1" && pwd)
count=${2:-270}
runs=${RUNS:-3}
CORPUS_DIR=${CORPUS_DIR:-$(cd "$repo/.." && pwd)/corpus}
pages=$(mktemp -d)
trap 'rm -rf "$pages"' EXIT

# Every 17th page of the corpus, so that the sizes are those of the whole.
number=0
while IFS= read -r name && [ "$number" -lt "$count" ]; do
  number=$((number + 1))
  cp "$CORPUS_DIR/$name" "$pages/$(printf %04d "$number").htm"
done < <(awk 'NR % 17 == 0' "$CORPUS_DIR/real.list")
echo "$number pages, $(du -sh "$pages" | cut -f1); load before the run: $(cut -d' ' -f1-3 /proc/loadavg)"

window() {
  xvfb-run -a -s "-screen 0 1600x1000x24" "$build/bench/desktop_run_bench" "$pages" "$@" 2>/dev/null |
    tail -1
  rm -f "$pages"/*.txt
}
console() {
  /usr/bin/time -f 'quorlexrun: %e s' "$build/apps/quorlexrun" "$pages/*.htm" 2>&1 >/dev/null |
    tail -1
  rm -f "$pages"/*.txt
}
for _ in $(seq "$runs"); do
  echo "status window hidden: $(window)"
  echo "status window shown:  $(window status)"
  console
done
