#!/bin/bash
# Stops the test servers started by start_servers.sh and removes servers.env. Never fails, so
# a cleanup step cannot turn a test run red, and does nothing when nothing runs.
#
#   tests/servers/stop_servers.sh BENCH_DIR
set -uo pipefail
. "$(dirname "$0")/../support/harness.sh"
harness_bench_dir "$@"
SERVERS="$BENCH/servers"

# The env file goes first: a test that starts now must not find ports that are about to close.
rm -f "$BENCH/servers.env"
# nginx's process title keeps its command line, which names our prefix.
stop_pid "$(cat "$SERVERS/nginx.pid" 2>/dev/null)" nginx "$SERVERS"
stop_pid "$(cat "$SERVERS/fault.pid" 2>/dev/null)" fault_server.py "$SERVERS"
rm -f "$SERVERS/nginx.pid" "$SERVERS/fault.pid" "$SERVERS/fault.port"
exit 0
