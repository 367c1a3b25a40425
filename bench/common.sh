# Sourced by the benchmark scripts.

# Builds a Release quorlexrun in build-release/ of the repository at $1 and prints its path.
release_quorlexrun() {
  local repo=$1
  echo "==> building quorlexrun (Release) in build-release/" >&2
  cmake -S "$repo" -B "$repo/build-release" -DCMAKE_BUILD_TYPE=Release -DQUORLEX_BUILD_TESTS=OFF \
    -DQUORLEX_BUILD_BENCH=OFF -DQUORLEX_BUILD_FRONTEND=OFF >/dev/null &&
    cmake --build "$repo/build-release" --parallel "$(nproc)" --target quorlexrun >/dev/null ||
    { echo "build failed" >&2; return 1; }
  echo "$repo/build-release/apps/quorlexrun"
}

# Runs a command, its output thrown away, and sets `seconds` (wall), `kilobytes` (peak
# resident set) and `status` (its exit status).
measure() {
  local times
  times=$(mktemp)
  status=0
  /usr/bin/time -o "$times" -f "%e %M" "$@" >/dev/null 2>&1 || status=$?
  # A command that fails gets a line of its own before the figures.
  read -r seconds kilobytes < <(tail -n 1 "$times")
  rm -f "$times"
}
