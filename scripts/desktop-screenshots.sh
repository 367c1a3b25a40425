#!/bin/bash
# Takes screenshots of the desktop program, to check by eye that the main window
# and each property sheet fit the screen, at 100% and at 200% (QT_SCALE_FACTOR=2), and how the
# language menu reads, and of a run while it goes and after it failed:
#   scripts/desktop-screenshots.sh OUTDIR [PROGRAM]
# PROGRAM is the built desktop program (default $QUORLEX_DESKTOP, else build/apps/quorlex).
# It runs under Xvfb (1280x800) with openbox as window manager and a throw-away home whose
# settings file chooses English for the runs and Russian for the rest; the sheets are opened
# through the menu with xdotool, so no person is needed. Writes OUTDIR/<window>-<scale>.png, run-in-progress.png and run-failed.png.
# Installs what is missing with apt-get.
set -euo pipefail

out=${1:?usage: desktop-screenshots.sh OUTDIR [PROGRAM]}
program=$(realpath "${2:-${QUORLEX_DESKTOP:-build/apps/quorlex}}")
[ -x "$program" ] || { echo "error: no desktop program at $program" >&2; exit 1; }

missing=()
command -v Xvfb >/dev/null 2>&1 || missing+=(xvfb)
command -v openbox >/dev/null 2>&1 || missing+=(openbox)
command -v xdotool >/dev/null 2>&1 || missing+=(xdotool)
[ -x /usr/bin/import ] || missing+=(imagemagick)
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi

mkdir -p "$out"
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
DISPLAY=:$(cat "$work/display")
export DISPLAY
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

export HOME=$work/home QT_QPA_PLATFORM=xcb
unset XDG_CONFIG_HOME
mkdir -p "$HOME/.config/quorlex"
# settings LANGUAGE: a settings file that chooses LANGUAGE.
settings() {
  printf '%s\n' "\\Languages\\Language=$1" '\Languages\SelectedLanguage=Yes' \
    '\BrowserCommand=/bin/true' >"$HOME/.config/quorlex/settings.conf"
}

# shoot NAME SCALE [KEY...]: starts the program at SCALE; with keys, clicks the first menu of
# the menu bar and types them (arrows move through the menus whatever the language), then
# photographs the whole screen as OUTDIR/NAME-<SCALE*100>.png.
shoot() {
  local name=$1 scale=$2
  shift 2
  QT_SCALE_FACTOR=$scale "$program" >/dev/null 2>&1 &
  local pid=$!
  local window
  window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" | head -1)
  sleep 1
  if [ $# -gt 0 ]; then
    xdotool mousemove --window "$window" $((12 * scale)) $((10 * scale)) click 1
    sleep 0.5
    xdotool key --delay 300 "$@"
    sleep 1.5
  fi
  import -window root "$out/$name-$((scale * 100)).png"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}

# run_shot NAME SPEC WAIT: types SPEC into the files box of the program (it has the focus at
# the start) and presses Enter, then photographs the screen WAIT seconds later.
run_shot() {
  local name=$1 spec=$2 wait=$3
  "$program" >/dev/null 2>&1 &
  local pid=$!
  local window
  window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" | head -1)
  sleep 1
  xdotool windowactivate --sync "$window"
  xdotool key ctrl+a
  xdotool type --delay 1 "$spec"
  xdotool key Return
  sleep "$wait"
  import -window root "$out/$name.png"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}

# A run long enough to photograph while it goes: the sample pages, copied 3,000 times over.
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
samples=("$repo"/samples/web/*/input.htm)
mkdir "$work/pages"
for i in $(seq 3000); do
  cp "${samples[i % ${#samples[@]}]}" "$work/pages/$(printf %04d "$i").htm"
done
settings English
run_shot run-in-progress "$work/pages/*.htm" 1.5
run_shot run-failed "$work/pages/\"0001.htm\" \"missing.htm\"" 3

settings Russian
for scale in 1 2; do
  shoot main "$scale"
  shoot markup-sheet "$scale" Right Right Return
  shoot text-sheet "$scale" Right Down Right Return
  shoot settings-sheet "$scale" Left Left Left Left Return
  shoot language-menu "$scale" Left Left Left
done
echo "screenshots in $out"
