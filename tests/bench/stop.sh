#!/bin/bash
# Stops the wine bench started by start.sh: the prefix's wineserver (and with it every wine
# process of the prefix) and the Xvfb display. Never fails, so a cleanup step cannot turn a
# test run red.
#
#   tests/bench/stop.sh BENCH_DIR
set -uo pipefail
# shellcheck source=bench-env.sh
. "$(dirname "$0")/bench-env.sh"
bench_init "$@"

if [ -d "$PREFIX" ]; then
  "$WINESERVER" -k </dev/null >/dev/null 2>&1
  # -k only signals; wait until the server has saved the registry and gone.
  timeout 15 "$WINESERVER" -w </dev/null >/dev/null 2>&1
fi

display=$(cat "$BENCH/display" 2>/dev/null)
pid=$(cat "$BENCH/xvfb.pid" 2>/dev/null)
if [ -n "$display" ] && [ -n "$pid" ]; then
  stop_pid "$pid" "Xvfb $display "
  # A killed server leaves its lock behind; drop it only if it is ours.
  lock="/tmp/.X${display#:}-lock"
  if [ "$(tr -d ' \n' 2>/dev/null <"$lock")" = "$pid" ] && ! pid_runs "$pid" Xvfb; then
    rm -f "$lock" "/tmp/.X11-unix/X${display#:}"
  fi
fi

rm -f "$BENCH/display" "$BENCH/xvfb.pid"
exit 0
