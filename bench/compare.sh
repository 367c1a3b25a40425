#!/usr/bin/env bash
# compare.sh - times quorlexrun beside the well-known HTML-to-text converters on the corpus
# that ../shared/bench/make-corpus.sh builds (real documentation pages and big files made
# from them), in one run, and prints markdown tables: times, MB/s, ratios against each
# peer, peak memory.
#
# Usage: bench/compare.sh [all|ours|peers]      (default: all)
#
# Environment:
#   CORPUS_DIR    the corpus (default: ../corpus beside the repository)
#   PEERS_SCRIPT  the peers' timing script (default: ../shared/bench/peers.sh)
#   PEERS         peers to time (default: those of peers.sh that are installed)
#   RUNS          timed runs per big file (default 3); medians are quoted
#   SIZES         big files (default "1M 8M 64M")
#   API_TIMES     conversions of big-1M from memory through the library (default 1000)
#   RESULTS_DIR   where raw timings go (default: a new temporary folder)
#
# Needs: cmake, g++, GNU time, hyperfine, python3. The peers are installed as peers.sh
# says; a peer that is missing is left out.
set -uo pipefail
export LC_ALL=C.UTF-8

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/.." && pwd)
source "$repo/bench/common.sh"
CORPUS_DIR=${CORPUS_DIR:-$(cd "$repo/.." && pwd)/corpus}
PEERS_SCRIPT=${PEERS_SCRIPT:-$(cd "$repo/.." && pwd)/shared/bench/peers.sh}
RUNS=${RUNS:-3}
SIZES=${SIZES:-"1M 8M 64M"}
API_TIMES=${API_TIMES:-1000}
RESULTS_DIR=${RESULTS_DIR:-$(mktemp -d)}
GNU_TIME=$(type -P time) || { echo "GNU time is needed (apt-get install time)" >&2; exit 1; }
command -v hyperfine >/dev/null || { echo "hyperfine is needed (apt-get install hyperfine)" >&2; exit 1; }
[ -f "$CORPUS_DIR/real.list" ] || { echo "no corpus in $CORPUS_DIR: run make-corpus.sh" >&2; exit 1; }
mkdir -p "$RESULTS_DIR/ours"
echo "<!-- raw results: $RESULTS_DIR -->" >&2

mb() { awk -v b="$1" 'BEGIN{printf "%.1f", b/1e6}'; }
div() { awk -v a="$1" -v b="$2" 'BEGIN{ if (b > 0) printf "%.1f", a/b; else print "-" }'; }
corpus_bytes() { (cd "$CORPUS_DIR" && xargs -d '\n' stat -c %s < real.list) | awk '{s+=$1} END{print s}'; }

build() {
  Q=$(release_quorlexrun "$repo") || exit 1
  API=$(release_api_bench "$repo") || exit 1
}

# Wall seconds and peak RSS (MB) of one command, its output thrown away.
timed() {
  local out=$1; shift
  "$GNU_TIME" -f '%e %M' -o "$out" "$@" > /dev/null 2>&1
  awk '{printf "%s %.0f\n", $1, $2/1024}' "$out"
}

# Wall seconds of one process per corpus file, the file name appended to the command.
per_file() {
  local s e
  s=$(date +%s.%N)
  (cd "$CORPUS_DIR" && while IFS= read -r f; do "$@" "$f" > /dev/null 2>&1; done < real.list)
  e=$(date +%s.%N)
  awk -v s="$s" -v e="$e" 'BEGIN{printf "%.2f", e-s}'
}

ours() {
  local bytes n wall rss
  bytes=$(corpus_bytes)
  n=$(wc -l < "$CORPUS_DIR/real.list")
  (cd "$CORPUS_DIR" && xargs -d '\n' cat < real.list > /dev/null)   # warm the cache
  echo "### quorlexrun ($(git -C "$repo" log -1 --format=%h), Release)"
  echo
  echo "| run | wall s | MB/s | peak RSS MB |"
  echo "| --- | ---: | ---: | ---: |"
  # One thread, as the peers run; then on every core.
  read -r wall rss < <(timed "$RESULTS_DIR/ours/tree.time" "$Q" -j1 -r "$CORPUS_DIR/real" /CONSOLE)
  echo "$wall" > "$RESULTS_DIR/ours/tree.wall"
  echo "| whole corpus, one run, one thread (-j1; a folder with sub-folders, $n files, $(mb "$bytes") MB) | $wall | $(div "$(mb "$bytes")" "$wall") | $rss |"
  local cores
  cores=$(nproc)
  read -r wall rss < <(timed "$RESULTS_DIR/ours/tree-j.time" "$Q" "-j$cores" -r "$CORPUS_DIR/real" /CONSOLE)
  echo "| whole corpus, one run, $cores threads (-j$cores) | $wall | $(div "$(mb "$bytes")" "$wall") | $rss |"
  wall=$(per_file "$Q" /CONSOLE)
  echo "$wall" > "$RESULTS_DIR/ours/loop.wall"
  echo "| whole corpus, one process per file | $wall | $(div "$(mb "$bytes")" "$wall") | - |"
  wall=$(per_file cat)
  echo "| (the same loop running cat: the cost of starting the processes) | $wall | $(div "$(mb "$bytes")" "$wall") | - |"
  local sz f
  for sz in $SIZES; do
    f="$CORPUS_DIR/big/big-$sz.html"
    [ -f "$f" ] || continue
    bytes=$(stat -c %s "$f")
    read -r wall rss < <(timed "$RESULTS_DIR/ours/$sz.time" "$Q" /CONSOLE "$f")
    hyperfine -S none -r "$RUNS" -w 0 --style none --export-json "$RESULTS_DIR/ours/$sz.json" \
      "$Q /CONSOLE $f" > /dev/null 2>&1
    wall=$(python3 -c "import json,sys; print('%.3f' % json.load(open(sys.argv[1]))['results'][0]['median'])" "$RESULTS_DIR/ours/$sz.json")
    echo "$wall" > "$RESULTS_DIR/ours/$sz.wall"
    echo "| big-$sz (median of $RUNS) | $wall | $(div "$(mb "$bytes")" "$wall") | $rss |"
  done
  library
  echo
}

# The library converting big-1M from memory API_TIMES times in one process (no process
# start, no file), per conversion, and its time per MB against quorlexrun's for the page.
library() {
  local f="$CORPUS_DIR/big/big-1M.html" bytes line seconds rss per ratio
  [ -f "$f" ] || return 0
  bytes=$(stat -c %s "$f")
  line=$("$GNU_TIME" -f '%M' -o "$RESULTS_DIR/ours/api.time" "$API" "$f" "$API_TIMES") ||
    { echo "| big-1M through the library | failed | - | - |"; return; }
  echo "$line" > "$RESULTS_DIR/ours/api.out"
  seconds=$(awk '{for (i = 1; i < NF; i++) if ($(i+1) == "s,") print $i}' <<< "$line")
  rss=$(awk '{printf "%.0f", $1/1024}' "$RESULTS_DIR/ours/api.time")
  per=$(awk -v s="$seconds" -v n="$API_TIMES" 'BEGIN{printf "%.4f", s/n}')
  echo "| big-1M through the library, from memory (mean of $API_TIMES in one process) | $per | $(div "$(mb "$bytes")" "$per") | $rss |"
  [ -f "$RESULTS_DIR/ours/1M.wall" ] || return 0
  ratio=$(awk -v a="$per" -v b="$(cat "$RESULTS_DIR/ours/1M.wall")" 'BEGIN{printf "%.2f", a/b}')
  echo "| (the library's time per MB / quorlexrun's, big-1M) | ${ratio}x | | |"
}

installed_peers() {
  local p list=""
  for p in html2text lynx w3m links elinks pandoc py-html2text node-html-to-text; do
    case $p in
      py-html2text) command -v html2markdown > /dev/null && list+=" $p" ;;
      node-html-to-text) [ -d "$(dirname "$PEERS_SCRIPT")/peers-node/node_modules/html-to-text" ] && list+=" $p" ;;
      *) command -v "$p" > /dev/null && list+=" $p" ;;
    esac
  done
  echo "${list# }"
}

peers() {
  [ -f "$PEERS_SCRIPT" ] || { echo "(no $PEERS_SCRIPT: peers not timed)"; return; }
  export PEERS=${PEERS:-$(installed_peers)} BIG_PEERS=${BIG_PEERS:-$PEERS} RUNS SIZES CORPUS_DIR
  mkdir -p "$RESULTS_DIR/peers"
  RESULTS_DIR="$RESULTS_DIR/peers" bash "$PEERS_SCRIPT" facts floor corpus big
  ratios
}

# quorlexrun against each peer: the peer's time divided by ours (above 1: we are faster).
ratios() {
  echo "### Ratios: peer time / quorlexrun time"
  echo
  echo "| peer | corpus, one process per file | corpus: peer per file vs quorlexrun one run | big files |"
  echo "| --- | ---: | ---: | --- |"
  local p ours_loop ours_tree
  ours_loop=$(cat "$RESULTS_DIR/ours/loop.wall" 2>/dev/null || echo 0)
  ours_tree=$(cat "$RESULTS_DIR/ours/tree.wall" 2>/dev/null || echo 0)
  for p in $PEERS; do
    local wall big="" sz
    wall=$(awk '{print $1}' "$RESULTS_DIR/peers/$p.time" 2>/dev/null || echo 0)
    for sz in $SIZES; do
      local theirs mine
      theirs=$(python3 -c "import json,sys; print(json.load(open(sys.argv[1]))['results'][0]['median'])" "$RESULTS_DIR/peers/$p.$sz.json" 2>/dev/null ||
               awk -F': ' '/Elapsed \(wall clock\)/{n=split($2,a,":"); s=0; for(i=1;i<=n;i++) s=s*60+a[i]; print s}' "$RESULTS_DIR/peers/$p.$sz.timev" 2>/dev/null)
      mine=$(cat "$RESULTS_DIR/ours/$sz.wall" 2>/dev/null || echo 0)
      big+="$sz: $(div "${theirs:-0}" "$mine")x; "
    done
    echo "| $p | $(div "$wall" "$ours_loop")x | $(div "$wall" "$ours_tree")x | ${big%; } |"
  done
  echo
}

sections=("$@"); [ ${#sections[@]} -eq 0 ] && sections=(all)
build
for sec in "${sections[@]}"; do
  case $sec in
    all)   ours; peers ;;
    ours)  ours ;;
    peers) peers ;;
    *) echo "unknown section: $sec" >&2; exit 2 ;;
  esac
done
