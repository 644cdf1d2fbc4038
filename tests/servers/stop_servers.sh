#!/bin/bash
# Stops the test servers started by start_servers.sh and removes servers.env.
# Never fails, so a cleanup step cannot turn a test run red, and does nothing
# when nothing runs.
#
#   tests/servers/stop_servers.sh BENCH_DIR
set -uo pipefail
# shellcheck source=servers-lib.sh
. "$(dirname "$0")/servers-lib.sh"
servers_init "$@"

# The env file goes first: a test that starts now must not find ports that
# are about to close.
rm -f "$ENV_FILE"
# nginx's process title keeps its command line, which names our prefix; the
# checks make sure a reused pid of somebody else's process is left alone.
stop_pid "$(cat "$SERVERS/nginx.pid" 2>/dev/null)" nginx "$SERVERS"
stop_pid "$(cat "$SERVERS/fault.pid" 2>/dev/null)" fault_server.py "$SERVERS"
rm -f "$SERVERS/nginx.pid" "$SERVERS/fault.pid" "$SERVERS/fault.port"
exit 0
