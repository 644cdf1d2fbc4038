#!/bin/bash
# Starts the local test servers for one build tree: nginx (static files, a second port, the
# statistics log, the same over TLS, and TLS ports whose certificates the client must refuse)
# and the fault server, all on free ports of 127.0.0.1, and writes BENCH_DIR/servers.env for
# the tests and the wine wrapper. All state (config, pids, logs, temp files, www) stays in
# BENCH_DIR/servers, made fresh on every start; running the script while the servers are up
# restarts them. The certificates stay in BENCH_DIR/tls, and the bench's prefix is made to
# trust their authority when BUILD_DIR holds trust_ca.exe.
#
#   tests/servers/start_servers.sh BENCH_DIR [BUILD_DIR]
#
# The test package BUILD_DIR/package/rolk_lobby_full.zip (BUILD_DIR: BENCH_DIR's parent) is
# served when it is built.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/../support/harness.sh"
harness_bench_dir "${1:-}"
SERVERS="$BENCH/servers"
BUILD="${2:-$(dirname "$BENCH")}"
PACKAGE="$BUILD/package/rolk_lobby_full.zip"
TLS="$BENCH/tls"
NGINX=${DL_NGINX:-/usr/sbin/nginx}
PYTHON=${DL_PYTHON:-/usr/bin/python3} # Debian's, not whatever python3 comes first in PATH

die() {
  echo "start_servers.sh: $*" >&2
  local log
  for log in error.log nginx.out fault.out; do
    [ -s "$SERVERS/$log" ] && echo "--- $SERVERS/$log" >&2 && tail -n 20 "$SERVERS/$log" >&2
  done
  "$HERE/stop_servers.sh" "$BENCH" >/dev/null 2>&1 || true
  exit 1
}

for tool in "$NGINX" "$PYTHON" curl openssl; do
  command -v "$tool" >/dev/null 2>&1 || die "$tool not found (run scripts/setup.sh)"
done
"$HERE/stop_servers.sh" "$BENCH" >/dev/null 2>&1 || true # even what a kill -9 left

rm -rf "$SERVERS/www" "$SERVERS/tmp"
rm -f "$SERVERS"/*.log "$SERVERS"/*.out "$SERVERS/nginx.conf"
mkdir -p "$SERVERS/www/update" "$SERVERS/www/banner_download" "$SERVERS/tmp"
cp "$HERE/banner.html" "$SERVERS/www/banner_download/index.do"
# -p keeps the mtime, so Last-Modified stays the package's build time.
[ -f "$PACKAGE" ] && cp -p "$PACKAGE" "$SERVERS/www/update/"
: >"$SERVERS/stats.log"
: >"$SERVERS/access.log"
: >"$SERVERS/fault.log"

"$HERE/../support/make_tls.sh" "$TLS" || die "could not make the TLS certificates in $TLS"

# Distinct ports the kernel has just handed out. Another program can take one before nginx
# binds it; the loop then simply tries again. The master binds its ports before it
# daemonises, so its success means they are ours. Its output goes to a file: a daemon holding
# ctest's pipes would keep the start step from ending.
NGINX_PORT=""
for attempt in 1 2 3 4 5; do
  read -r port port2 tls_port untrusted_port wrong_name_port < <("$PYTHON" -c '
import socket
socks = [socket.socket() for _ in range(5)]
for s in socks:
    s.bind(("127.0.0.1", 0))
print(" ".join(str(s.getsockname()[1]) for s in socks))') ||
    die "could not ask the kernel for free ports"
  render "$HERE/nginx.conf.in" "$SERVERS/nginx.conf" "DIR=$SERVERS" "PORT=$port" \
    "PORT2=$port2" "TLS_PORT=$tls_port" "UNTRUSTED_PORT=$untrusted_port" \
    "WRONG_NAME_PORT=$wrong_name_port" "TLS=$TLS" "USER_LINE=$(nginx_user_line)"
  if "$NGINX" -p "$SERVERS" -c "$SERVERS/nginx.conf" -e "$SERVERS/error.log" \
    </dev/null >>"$SERVERS/nginx.out" 2>&1; then
    NGINX_PORT=$port NGINX_PORT2=$port2
    break
  fi
  grep -q "Address already in use" "$SERVERS/nginx.out" "$SERVERS/error.log" 2>/dev/null ||
    die "nginx did not start"
  echo "start_servers.sh: a port was taken; attempt $attempt failed" >&2
  : >"$SERVERS/nginx.out"
done
[ -n "$NGINX_PORT" ] || die "nginx found no free ports in 5 attempts"
for port in "$NGINX_PORT" "$NGINX_PORT2"; do
  http_answers "http://127.0.0.1:$port/banner_download/index.do" 200 ||
    die "nginx does not answer 200 on port $port"
done
# The prefix trusts the test authority as a machine trusts its roots.
TRUST_CA="$BUILD/bin/trust_ca.exe"
tls_note="the prefix was not told to trust $TLS/ca.pem ($TRUST_CA not built)"
if [ -f "$TRUST_CA" ] && [ -x "$BUILD/bench/wine-run.sh" ]; then
  DL_BENCH_DIR="$BENCH" "$BUILD/bench/wine-run.sh" "$TRUST_CA" "Z:${TLS//\//\\}\\ca.pem" ||
    die "trust_ca.exe could not make the prefix trust $TLS/ca.pem"
  tls_note="the prefix trusts $TLS/ca.pem"
fi

# The fault server binds port 0 itself and reports the port it got, so it cannot lose a race.
setsid "$PYTHON" "$HERE/fault_server.py" --dir "$SERVERS" --nginx-port2 "$NGINX_PORT2" \
  --port-file "$SERVERS/fault.port" --pid-file "$SERVERS/fault.pid" \
  </dev/null >>"$SERVERS/fault.out" 2>&1 &
fault_pid=$!
for _ in $(seq 50); do
  [ -s "$SERVERS/fault.port" ] && break
  kill -0 "$fault_pid" 2>/dev/null || die "the fault server ended at once"
  sleep 0.1
done
FAULT_PORT=$(cat "$SERVERS/fault.port" 2>/dev/null) || die "the fault server reported no port"
http_answers "http://127.0.0.1:$FAULT_PORT/status/200" 200 ||
  die "the fault server does not answer 200 on port $FAULT_PORT"

# Quoted, because the wine wrapper sources the file and the Windows path (wine maps Z: to the
# Linux root) has backslashes.
cat >"$BENCH/servers.env.tmp" <<ENV
DL_NGINX_PORT=$NGINX_PORT
DL_NGINX_PORT2=$NGINX_PORT2
DL_FAULT_PORT=$FAULT_PORT
DL_TLS_PORT=$tls_port
DL_TLS_UNTRUSTED_PORT=$untrusted_port
DL_TLS_WRONG_NAME_PORT=$wrong_name_port
DL_SERVERS_DIR='$SERVERS'
DL_SERVERS_DIR_WIN='Z:${SERVERS//\//\\}'
ENV
mv "$BENCH/servers.env.tmp" "$BENCH/servers.env"
package_note="no test package ($PACKAGE not built)"
[ -f "$PACKAGE" ] && package_note="serving $(basename "$PACKAGE")"
echo "test servers ready: nginx 127.0.0.1:$NGINX_PORT and :$NGINX_PORT2, over TLS" \
  ":$tls_port (refused certificates :$untrusted_port, :$wrong_name_port)," \
  "fault server 127.0.0.1:$FAULT_PORT; $package_note; $tls_note"
