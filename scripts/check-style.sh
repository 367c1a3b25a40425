#!/usr/bin/env bash
# Checks the house style: every C++ file of the project as clang-format writes it
# (.clang-format), and the C++ files changed since BASE through clang-tidy's checks
# (.clang-tidy: bugprone checks, and no function above the cognitive-complexity threshold).
#
#   scripts/check-style.sh BUILD_DIR [BASE]
#
# BUILD_DIR holds the compile_commands.json of a configured build (CMake writes it).
# BASE is a git revision; by default the parent of HEAD, so that a commit is checked on
# what it changed. Exits non-zero when a check finds something or a tool is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: scripts/check-style.sh BUILD_DIR [BASE]}
base=${2:-HEAD~1}

for tool in clang-format clang-tidy; do
  command -v "$tool" >/dev/null || { echo "error: $tool is not installed" >&2; exit 2; }
done
[ -f "$build/compile_commands.json" ] ||
  { echo "error: no $build/compile_commands.json: configure the build first" >&2; exit 2; }

echo "==> clang-format on every C++ file"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

# Files, not headers: a header is checked through the files that include it. A base that
# git does not know (a shallow clone) checks nothing rather than everything.
if ! git rev-parse -q --verify "$base^{commit}" >/dev/null; then
  echo "==> clang-tidy: no revision $base here; nothing to compare with"
  exit 0
fi
mapfile -t changed < <(git diff --name-only --diff-filter=d "$base" -- '*.cpp' |
  grep -vE '^(tests|bench)/' || true)
if [ ${#changed[@]} -eq 0 ]; then
  echo "==> clang-tidy: no C++ file changed since $base"
  exit 0
fi
echo "==> clang-tidy on ${#changed[@]} file(s) changed since $base"
printf '%s\0' "${changed[@]}" |
  xargs -0 -n 1 -P "$(nproc 2>/dev/null || echo 2)" clang-tidy -p "$build" --quiet
