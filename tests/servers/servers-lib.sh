# Shared by start_servers.sh and stop_servers.sh (sourced): where the servers
# keep their state and how to tell our processes from anybody else's.
# shellcheck shell=bash

NGINX=${DL_NGINX:-/usr/sbin/nginx}
# Debian's python, not whatever python3 comes first in PATH.
PYTHON=${DL_PYTHON:-/usr/bin/python3}

servers_init() {
  if [ $# -lt 1 ] || [ -z "$1" ]; then
    echo "usage: $(basename "$0") BENCH_DIR [BUILD_DIR]" >&2
    exit 2
  fi
  mkdir -p "$1"
  BENCH=$(cd "$1" && pwd)
  SERVERS="$BENCH/servers"
  ENV_FILE="$BENCH/servers.env"
}

# True when PID is alive and its command line contains every further argument.
pid_runs() {
  local pid=$1 cmdline needle
  shift
  case "$pid" in '' | *[!0-9]*) return 1 ;; esac
  [ -r "/proc/$pid/cmdline" ] || return 1
  cmdline=$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null) || return 1
  for needle in "$@"; do
    case "$cmdline" in *"$needle"*) ;; *) return 1 ;; esac
  done
}

# Stops PID (if it still runs what the needles say): TERM, then KILL after 5 s.
stop_pid() {
  local pid=$1
  shift
  pid_runs "$pid" "$@" || return 0
  kill "$pid" 2>/dev/null
  for _ in $(seq 50); do
    pid_runs "$pid" "$@" || return 0
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null
  for _ in $(seq 20); do
    pid_runs "$pid" "$@" || return 0
    sleep 0.1
  done
}
