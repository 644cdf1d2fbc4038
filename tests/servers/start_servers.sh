#!/bin/bash
# Starts the local test servers for one build tree: nginx (static files,
# redirects, the statistics log) and the fault server, both on free ports of
# 127.0.0.1, and writes BENCH_DIR/servers.env for the tests and the wine
# wrapper. All state (config, pids, logs, temp files, www) stays in
# BENCH_DIR/servers and is made fresh on every start.
#
#   tests/servers/start_servers.sh BENCH_DIR [BUILD_DIR]
#
# BUILD_DIR (default: BENCH_DIR's parent) is where the generated test package
# is looked for: BUILD_DIR/package/rolk_lobby_full.zip. Running the script
# while the servers are up restarts them.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=servers-lib.sh
. "$HERE/servers-lib.sh"
servers_init "$@"
BUILD=${2:-$(dirname "$BENCH")}
PACKAGE="$BUILD/package/rolk_lobby_full.zip"

die() {
  echo "start_servers.sh: $*" >&2
  local log
  for log in error.log nginx.out fault.out; do
    if [ -s "$SERVERS/$log" ]; then
      echo "--- $SERVERS/$log" >&2
      tail -n 20 "$SERVERS/$log" >&2
    fi
  done
  "$HERE/stop_servers.sh" "$BENCH" >/dev/null 2>&1 || true
  exit 1
}

for tool in "$NGINX" "$PYTHON" curl; do
  command -v "$tool" >/dev/null 2>&1 || die "$tool not found (run scripts/setup.sh)"
done

# Whatever an earlier run left behind (even after kill -9) goes first.
"$HERE/stop_servers.sh" "$BENCH" >/dev/null 2>&1 || true

rm -rf "$SERVERS/www" "$SERVERS/tmp"
rm -f "$SERVERS"/*.log "$SERVERS"/*.out "$SERVERS/nginx.conf"
mkdir -p "$SERVERS/www/update" "$SERVERS/www/banner_download" "$SERVERS/tmp"
cp "$HERE/banner.html" "$SERVERS/www/banner_download/index.do"
# -p keeps the mtime, so Last-Modified stays the package's build time.
if [ -f "$PACKAGE" ]; then
  cp -p "$PACKAGE" "$SERVERS/www/update/"
fi
: >"$SERVERS/stats.log"
: >"$SERVERS/access.log"
: >"$SERVERS/fault.log"

# As root nginx would drop to "nobody", which may not read a build tree under
# a private folder; the caller's own user always can. Without root the
# directive means nothing and only earns a warning.
if [ "$(id -u)" -eq 0 ]; then
  USER_LINE="user $(id -un) $(id -gn);"
else
  USER_LINE="# not root: nginx runs as $(id -un)"
fi

# Two distinct ports the kernel has just handed out. Another program can take
# one before nginx binds it; the loop below then simply tries again.
free_ports() {
  "$PYTHON" -c '
import socket
socks = [socket.socket() for _ in range(2)]
for s in socks:
    s.bind(("127.0.0.1", 0))
print(" ".join(str(s.getsockname()[1]) for s in socks))
'
}

render_config() {
  "$PYTHON" - "$HERE/nginx.conf.in" "$SERVERS/nginx.conf" "$SERVERS" "$1" "$2" "$USER_LINE" <<'PY'
import sys
src, dst, folder, port, port2, user_line = sys.argv[1:]
text = open(src, encoding="utf-8").read()
for key, value in (("@DIR@", folder), ("@PORT@", port), ("@PORT2@", port2),
                   ("@USER_LINE@", user_line)):
    text = text.replace(key, value)
open(dst, "w", encoding="utf-8").write(text)
PY
}

# http_code URL: the status nginx or the fault server answers, 000 if none.
http_code() {
  curl -s -o /dev/null -w '%{http_code}' --max-time 2 "$1" 2>/dev/null || true
}

wait_for_200() {
  local url=$1 what=$2
  for _ in $(seq 50); do
    [ "$(http_code "$url")" = 200 ] && return 0
    sleep 0.2
  done
  die "$what does not answer 200 at $url"
}

NGINX_PORT="" NGINX_PORT2=""
for attempt in 1 2 3 4 5; do
  read -r port port2 < <(free_ports) || die "could not ask the kernel for free ports"
  render_config "$port" "$port2"
  # The master binds its ports before it daemonises, so success here means
  # they are ours. Its output goes to a file: a daemon holding ctest's pipes
  # would keep the start step from ending.
  if "$NGINX" -p "$SERVERS" -c "$SERVERS/nginx.conf" -e "$SERVERS/error.log" \
    </dev/null >>"$SERVERS/nginx.out" 2>&1; then
    NGINX_PORT=$port NGINX_PORT2=$port2
    break
  fi
  grep -q "Address already in use" "$SERVERS/nginx.out" "$SERVERS/error.log" 2>/dev/null ||
    die "nginx did not start"
  echo "start_servers.sh: port $port or $port2 was taken; attempt $attempt failed" >&2
  : >"$SERVERS/nginx.out"
done
[ -n "$NGINX_PORT" ] || die "nginx found no free ports in 5 attempts"
wait_for_200 "http://127.0.0.1:$NGINX_PORT/banner_download/index.do" nginx
wait_for_200 "http://127.0.0.1:$NGINX_PORT2/banner_download/index.do" nginx

# The fault server binds port 0 itself and reports the port it got, so it
# cannot lose a race for it.
setsid "$PYTHON" "$HERE/fault_server.py" --dir "$SERVERS" --nginx-port2 "$NGINX_PORT2" \
  --port 0 --port-file "$SERVERS/fault.port" --pid-file "$SERVERS/fault.pid" \
  </dev/null >>"$SERVERS/fault.out" 2>&1 &
fault_pid=$!
for _ in $(seq 50); do
  [ -s "$SERVERS/fault.port" ] && break
  kill -0 "$fault_pid" 2>/dev/null || die "the fault server ended at once"
  sleep 0.1
done
[ -s "$SERVERS/fault.port" ] || die "the fault server reported no port within 5 s"
FAULT_PORT=$(cat "$SERVERS/fault.port")
wait_for_200 "http://127.0.0.1:$FAULT_PORT/status/200" "the fault server"

# Wine maps Z: to the Linux root.
SERVERS_WIN="Z:${SERVERS//\//\\}"
# Quoted, because the wine wrapper sources the file and the Windows path has backslashes.
{
  echo "DL_NGINX_PORT=$NGINX_PORT"
  echo "DL_NGINX_PORT2=$NGINX_PORT2"
  echo "DL_FAULT_PORT=$FAULT_PORT"
  echo "DL_SERVERS_DIR='$SERVERS'"
  echo "DL_SERVERS_DIR_WIN='$SERVERS_WIN'"
} >"$ENV_FILE.tmp"
mv "$ENV_FILE.tmp" "$ENV_FILE"

package_note="no test package ($PACKAGE not built)"
[ -f "$PACKAGE" ] && package_note="serving $(basename "$PACKAGE")"
echo "test servers ready: nginx 127.0.0.1:$NGINX_PORT and :$NGINX_PORT2," \
  "fault server 127.0.0.1:$FAULT_PORT; $package_note"
