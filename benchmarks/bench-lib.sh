# Shared start of the benchmark scripts; sourced after ROOT and BUILD are set.

# bench_build_targets TARGET...: configures BUILD when it does not exist, builds the targets
# (two jobs at most: the machine is shared) and makes BUILD absolute.
bench_build_targets() {
  if [ ! -d "$BUILD" ]; then
    local zlib
    zlib=$(bash "$ROOT/scripts/setup.sh" --print-zlib-dir)
    (cd "$ROOT" && cmake --preset x64-release -DDL_ZLIB_SOURCE_DIR="$zlib" >/dev/null)
  fi
  cmake --build "$BUILD" -j2 --target "$@" >/dev/null
  BUILD=$(cd "$BUILD" && pwd)
}

# bench_build TARGET BENCH_NAME: bench_build_targets TARGET, and sets BB (the benchmark's own
# bench folder) and RUN (the wine wrapper).
bench_build() {
  bench_build_targets "$1"
  BB="$BUILD/$2"
  RUN="$BUILD/bench/wine-run.sh"
}

# bench_start_with_servers: the bench and the local servers in BB, both stopped (and BB/out
# removed) when the script exits; the servers' ports come into the environment.
bench_start_with_servers() {
  trap 'bench_stop_with_servers' EXIT
  "$ROOT/tests/bench/start.sh" "$BB" >/dev/null
  "$ROOT/tests/servers/start_servers.sh" "$BB" "$BUILD" >/dev/null
  # shellcheck disable=SC1091
  . "$BB/servers.env"
}

bench_stop_with_servers() {
  "$ROOT/tests/servers/stop_servers.sh" "$BB" >/dev/null 2>&1 || true
  "$ROOT/tests/bench/stop.sh" "$BB" >/dev/null 2>&1 || true
  rm -rf "$BB/out"
}
