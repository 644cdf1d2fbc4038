# Shared by start.sh and stop.sh (sourced): where the bench keeps its state
# and the wine settings every bench process runs with.
# shellcheck shell=bash

WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

bench_init() {
  if [ $# -lt 1 ] || [ -z "$1" ]; then
    echo "usage: $(basename "$0") BENCH_DIR" >&2
    exit 2
  fi
  mkdir -p "$1"
  BENCH=$(cd "$1" && pwd)
  PREFIX="$BENCH/wineprefix"
  BENCH_HOME="$BENCH/home"
  STAMP="$PREFIX/.dl-bench-ready"
  export WINEPREFIX="$PREFIX"
  export HOME="$BENCH_HOME"
  export WINEDEBUG=-all
  # mscoree/mshtml: no Mono or Gecko here, and their install prompts would
  # wait forever on the virtual display.
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mshtml=d;mscoree=d"
}

# True when PID is alive and runs the program named $2.
pid_is() {
  local pid=$1 name=$2 comm
  [ -n "$pid" ] && [ -r "/proc/$pid/comm" ] || return 1
  comm=$(cat "/proc/$pid/comm" 2>/dev/null) || return 1
  [ "$comm" = "$name" ]
}
