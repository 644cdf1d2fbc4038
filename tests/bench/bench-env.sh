# Shared by start.sh and stop.sh (sourced): where the bench keeps its state and the wine
# settings every bench process runs with (wine-run.sh.in repeats them for the tests).
# shellcheck shell=bash
# shellcheck source=../support/harness.sh
. "$(dirname "${BASH_SOURCE[0]}")/../support/harness.sh"

WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

bench_init() {
  harness_bench_dir "$@"
  PREFIX="$BENCH/wineprefix"
  BENCH_HOME="$BENCH/home"
  STAMP="$PREFIX/.dl-bench-ready"
  export WINEPREFIX="$PREFIX" HOME="$BENCH_HOME" WINEDEBUG=-all
  # mscoree/mshtml: no Mono or Gecko here, and their install prompts would wait forever on the
  # virtual display.
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mshtml=d;mscoree=d"
}
