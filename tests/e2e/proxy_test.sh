#!/usr/bin/env bash
# Through the system's proxy (Debian's tinyproxy on loopback, set in the prefix's internet
# settings): the package arrives through it, and a run killed part-way is resumed through it
# with a Range request. A proxy that refuses connections gives the download failure notice, as
# a dead server does.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
TINYPROXY=${DL_TINYPROXY:-/usr/bin/tinyproxy}
[ -x "$TINYPROXY" ] || e2e_skip "tinyproxy is not installed (scripts/setup.sh installs it)"
e2e_begin "$1" 800k
e2e_serve_package "$E2E_PACKAGE"
total=$(e2e_size "$(e2e_served_package)")

proxy_port=$("$E2E_PYTHON" -c '
import socket
s = socket.socket()
s.bind(("127.0.0.1", 0))
print(s.getsockname()[1])')
cat >"$E2E_SERVERS/tinyproxy.conf" <<CONF
Port $proxy_port
Listen 127.0.0.1
Timeout 30
LogFile "$E2E_SERVERS/proxy.log"
LogLevel Info
MaxClients 20
Allow 127.0.0.1
CONF
settings='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
proxy_off() {
  e2e_wine reg add "$settings" /v ProxyEnable /t REG_DWORD /d 0 /f >/dev/null 2>&1
  e2e_wine reg delete "$settings" /v ProxyServer /f >/dev/null 2>&1
}
E2E_EXTRA_CLEANUP=proxy_off
setsid "$TINYPROXY" -d -c "$E2E_SERVERS/tinyproxy.conf" </dev/null >"$E2E_SERVERS/proxy.out" 2>&1 &
proxy_pid=$!
E2E_PIDS+=("$proxy_pid")
e2e_wait_until 5 curl -s -o /dev/null -x "127.0.0.1:$proxy_port" \
  "http://127.0.0.1:$E2E_STATS_PORT/" || e2e_fatal "tinyproxy does not answer on $proxy_port"
e2e_wine reg add "$settings" /v ProxyEnable /t REG_DWORD /d 1 /f >/dev/null &&
  e2e_wine reg add "$settings" /v ProxyServer /t REG_SZ /d "127.0.0.1:$proxy_port" /f >/dev/null ||
  e2e_fatal "could not set the prefix's proxy"
proxied() { grep -c "Request (file descriptor [0-9]*): GET http://127.0.0.1:$E2E_UPDATE_PORT$1 " \
  "$E2E_SERVERS/proxy.log"; }

e2e_kill_and_resume "$total"
check "every package request went through the proxy ($(proxied "$E2E_PACKAGE_PATH") of them)" \
  test "$(proxied "$E2E_PACKAGE_PATH")" = "$(e2e_package_requests | wc -l)"
e2e_check_installed

# The proxy goes away: its port refuses, like a dead server's.
kill "$proxy_pid" && wait "$proxy_pid" 2>/dev/null
e2e_clean_machine
e2e_open_window "run through a refusing proxy"
e2e_click_install
e2e_mouse_away
started=$SECONDS
e2e_wait_until 30 e2e_notice_visible ||
  e2e_fatal "no failure notice within 30 s of the click with the proxy refusing"
e2e_say "download failure notice after $((SECONDS - started)) s"
e2e_say "notice: $(e2e_shot proxy-refused-notice)"
check "no package file was made" test "$(e2e_package_size)" = 0
e2e_finish
