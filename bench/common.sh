# Sourced by the benchmark scripts.

# Builds the target $3 (Release) in the folder $2 of the repository at $1, the further
# arguments being cmake options.
release_build() {
  local repo=$1 folder=$2 target=$3
  shift 3
  echo "==> building $target (Release) in $folder/" >&2
  cmake -S "$repo" -B "$repo/$folder" -DCMAKE_BUILD_TYPE=Release -DQUORLEX_BUILD_TESTS=OFF \
    -DQUORLEX_BUILD_FRONTEND=OFF "$@" >/dev/null &&
    cmake --build "$repo/$folder" --parallel "$(nproc)" --target "$target" >/dev/null ||
    { echo "build failed" >&2; return 1; }
}

# Builds a Release quorlexrun in build-release/ of the repository at $1 and prints its path.
release_quorlexrun() {
  release_build "$1" build-release quorlexrun -DQUORLEX_BUILD_BENCH=OFF &&
    echo "$1/build-release/apps/quorlexrun"
}

# Builds a Release api_bench (the library converting from memory) in build-release-api/ of
# the repository at $1 and prints its path. It needs Google Benchmark, as bench/ does.
release_api_bench() {
  release_build "$1" build-release-api api_bench -DQUORLEX_BUILD_BENCH=ON &&
    echo "$1/build-release-api/bench/api_bench"
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
