# shellcheck shell=bash
# shellcheck disable=SC2034  # the values are for the scripts that source this file
# Shared by the end-to-end tests, the demo and the product benchmark (sourced): the loopback
# downloader on a wine bench, its local servers on the fixed ports it was built for, clicks on
# its window like a person's, and the checks of what it leaves behind.
#
#   . tests/e2e/lib.sh
#   e2e_begin BUILD/e2e/e2e.env RATE   # or e2e_load (E2E_BENCH_OVERRIDE / E2E_WORK may be set
#                                      # before), e2e_prepare, e2e_site_start, e2e_update_start
#   e2e_serve_package FILE; e2e_open_window; e2e_click_install; e2e_ends 60 "the installation"
#   check "what must hold" command...; e2e_finish   # exit status 0 when no check failed
#
# Coordinates are client coordinates of the installer window at 96 DPI; e2e_click scales them to
# the density set with e2e_set_dpi. Its client area is its whole X window (a borderless popup on
# a display without a window manager).
# shellcheck source=../support/harness.sh
. "$(dirname "${BASH_SOURCE[0]}")/../support/harness.sh"

E2E_PIDS=()
E2E_APP_PID=""
E2E_RC=""
E2E_LAUNCHES=0
E2E_DPI=96

# Installer window layout (client coordinates of the centres of the controls).
E2E_WINDOW_TITLE='客户端下载器'
E2E_INSTALL_XY=(499 300)
E2E_CLOSE_XY=(582 18)
E2E_MODIFY_PATH_XY=(555 231)
E2E_NOTICE_OK_XY=(469 221)
E2E_NOTICE_RETRY_XY=(374 221)
E2E_PROGRAM_NAME=Setup_123456.exe
E2E_SHARE_ID=123456
E2E_PACKAGE_FILE=tqz_lobby_full.install
E2E_SHARE_KEY='HKCU\SOFTWARE\QVEXGame\Lobby\Share\shareid_16'
E2E_STATS_PATH=/ajax/quickDownLoadStatistics/quickDownStatistics.jsp

e2e_say() { echo "[$(date +%T)] $*" >&2; }

# A failure after which the rest of the scenario means nothing.
e2e_fatal() {
  fail "$*"
  e2e_finish
}

e2e_load() {
  local env_file=${1:?usage: e2e_load BUILD/e2e/e2e.env}
  [ -f "$env_file" ] || {
    echo "e2e: $env_file is missing (configure and build the Windows tree first)" >&2
    exit 1
  }
  # shellcheck disable=SC1090
  . "$env_file"
  E2E_BENCH=${E2E_BENCH_OVERRIDE:-$E2E_BENCH}
  E2E_WORK=${E2E_WORK:-$E2E_BUILD_DIR/work/$(basename "$0" .sh)}
  E2E_PREFIX="$E2E_BENCH/wineprefix"
  E2E_DESKTOP="$E2E_BENCH/home/Desktop"
  E2E_DRIVE_C="$E2E_PREFIX/drive_c"
  E2E_SERVERS="$E2E_WORK/servers"
  E2E_APP_DIR="$E2E_WORK/app"
  E2E_SHOTS="$E2E_WORK/screenshots"
  e2e_set_install_folder 'C:\Program Files\Tavoro\'
  export DL_BENCH_DIR="$E2E_BENCH"
}

# The Windows path of the install folder (ending in "\") and its Linux twin.
e2e_set_install_folder() {
  E2E_INSTALL_WIN=$1
  E2E_INSTALL_DIR=$(e2e_linux_path "$1")
  E2E_INSTALLED_PACKAGE="$E2E_INSTALL_DIR/$E2E_PACKAGE_FILE"
}

# C:\a\b -> PREFIX/dosdevices/c:/a/b (through dosdevices, so any drive letter works).
e2e_linux_path() {
  local win=$1 rest=${1:2}
  rest=${rest//\\//}
  printf '%s/dosdevices/%s:%s' "$E2E_PREFIX" "$(tr '[:upper:]' '[:lower:]' <<<"${win:0:1}")" \
    "${rest%/}"
}

# A Linux path as wine sees it through drive Z:.
e2e_win_path() { printf 'Z:%s' "${1//\//\\}"; }

e2e_bench_up() {
  [ -s "$E2E_BENCH/display" ] && [ -f "$E2E_PREFIX/.dl-bench-ready" ] || {
    echo "e2e: the wine bench in $E2E_BENCH is not running" \
      "(ctest starts it; by hand: $E2E_BENCH_SOURCE_DIR/start.sh $E2E_BENCH)" >&2
    exit 1
  }
  DISPLAY=$(cat "$E2E_BENCH/display")
  export DISPLAY
}

# The downloader was built for these ports; anybody else on them would get its requests.
e2e_ports_free() {
  local port taken="" ports="$E2E_UPDATE_PORT $E2E_STATS_PORT $E2E_BANNER_PORT"
  ports="$ports $E2E_TLS_UPDATE_PORT $E2E_TLS_STATS_PORT"
  for port in $ports; do
    "$E2E_PYTHON" -c 'import socket, sys
s = socket.socket()
s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1", int(sys.argv[1])))' "$port" 2>/dev/null || taken="$taken $port"
  done
  [ -z "$taken" ] && return 0
  echo "e2e: port(s)$taken on 127.0.0.1 are taken, but the loopback downloader is built" \
    "for $E2E_UPDATE_PORT (update), $E2E_STATS_PORT (statistics) and $E2E_BANNER_PORT" \
    "(banner), and sent to $E2E_TLS_UPDATE_PORT and $E2E_TLS_STATS_PORT over TLS. Is another" \
    "end-to-end run or the demo going on? Listening there:" >&2
  ss -ltnp 2>/dev/null | grep -E ":(${ports// /|})\b" >&2
  exit 1
}

# Programs of ours that an earlier, interrupted run left in this prefix.
e2e_kill_leftovers() {
  local dir comm
  for dir in /proc/[0-9]*; do
    comm=$(cat "$dir/comm" 2>/dev/null) || continue
    case "$comm" in Setup_* | file_holder.exe | lobby.exe | downloader.exe) ;; *) continue ;; esac
    tr '\0' '\n' 2>/dev/null <"$dir/environ" | grep -qxF "WINEPREFIX=$E2E_PREFIX" || continue
    e2e_say "ending $comm (pid ${dir#/proc/}) left over from an earlier run"
    kill -9 "${dir#/proc/}" 2>/dev/null
  done
}

# What an installation leaves on the machine, gone; drives D: and E: removed.
e2e_clean_machine() {
  rm -rf "$E2E_DRIVE_C/Program Files/Tavoro"
  rm -f "$E2E_DESKTOP/Tavoro.lnk" "$E2E_PREFIX/dosdevices/d:" "$E2E_PREFIX/dosdevices/e:"
  e2e_wine reg delete 'HKCU\SOFTWARE\QVEXGame' /f >/dev/null 2>&1 || true
}

e2e_prepare() {
  e2e_bench_up
  e2e_ports_free
  e2e_kill_leftovers
  rm -rf "$E2E_WORK"
  mkdir -p "$E2E_SERVERS/tmp" "$E2E_SERVERS/www" "$E2E_SERVERS/banner/banner_download" \
    "$E2E_APP_DIR" "$E2E_SHOTS"
  e2e_clean_machine
  trap e2e_cleanup EXIT
  e2e_trace_package
}

# e2e_begin ENV_FILE [RATE]: a scenario's start: the build's settings, a clean machine, the
# statistics and banner servers and, unless RATE is "none", the update server.
e2e_begin() {
  e2e_load "$1"
  e2e_prepare
  e2e_site_start
  [ "${2:-0}" = none ] || e2e_update_start "${2:-0}"
}

e2e_wine() { "$E2E_WINE_RUN" "$@"; }

# ---------------------------------------------------------------- servers

# e2e_nginx_start NAME: starts the nginx of NAME.conf, fails the run when it does not.
e2e_nginx_start() {
  local name=$1
  /usr/sbin/nginx -p "$E2E_SERVERS" -c "$E2E_SERVERS/$name.conf" \
    -e "$E2E_SERVERS/$name-error.log" </dev/null >"$E2E_SERVERS/$name.out" 2>&1 || {
    cat "$E2E_SERVERS/$name.out" "$E2E_SERVERS/$name-error.log" >&2 2>/dev/null
    e2e_fatal "the $name server (nginx) did not start"
  }
}

e2e_nginx_stop() {
  stop_pid "$(cat "$E2E_SERVERS/$1.pid" 2>/dev/null)" "$E2E_SERVERS/$1.conf"
  rm -f "$E2E_SERVERS/$1.pid"
}

e2e_site_start() {
  cp "$E2E_SOURCE_DIR/../servers/banner.html" "$E2E_SERVERS/banner/banner_download/index.do"
  : >>"$E2E_SERVERS/stats.log"
  local stats_tls=""
  [ -n "${E2E_TLS_DIR:-}" ] &&
    stats_tls="listen 127.0.0.1:$E2E_TLS_STATS_PORT ssl; $(e2e_tls_certificate server)"
  render "$E2E_SOURCE_DIR/site-nginx.conf.in" "$E2E_SERVERS/site.conf" "DIR=$E2E_SERVERS" \
    "STATS_PORT=$E2E_STATS_PORT" "BANNER_PORT=$E2E_BANNER_PORT" "STATS_TLS=$stats_tls" \
    "USER_LINE=$(nginx_user_line)"
  e2e_nginx_start site
  http_answers "http://127.0.0.1:$E2E_BANNER_PORT/banner_download/index.do" 200 ||
    e2e_fatal "the banner server does not answer on port $E2E_BANNER_PORT"
}

# e2e_update_start [RATE] [NGINX_RATE]: the update server; RATE 0 (default) is nginx, as fast
# as it goes or at nginx's limit_rate NGINX_RATE ("10m"); otherwise bytes per second ("300k",
# "1m") of the steady throttled server.
e2e_update_start() {
  local rate=${1:-0} limit=""
  [ -n "${2:-}" ] && limit="location = $E2E_PACKAGE_PATH { limit_rate $2; }"
  : >>"$E2E_SERVERS/update-access.log"
  if [ "$rate" = 0 ]; then
    render "$E2E_SOURCE_DIR/update-nginx.conf.in" "$E2E_SERVERS/update.conf" \
      "DIR=$E2E_SERVERS" "PORT=$E2E_UPDATE_PORT" "CERTIFICATE=" "USER_LINE=$(nginx_user_line)" \
      "LIMIT=$limit"
    e2e_nginx_start update
  else
    rate=${rate/k/*1024}
    setsid "$E2E_PYTHON" "$E2E_SOURCE_DIR/throttled_server.py" --root "$E2E_SERVERS/www" \
      --port "$E2E_UPDATE_PORT" --rate $((${rate/m/*1048576})) \
      --log "$E2E_SERVERS/update-access.log" --pid-file "$E2E_SERVERS/throttled.pid" \
      </dev/null >"$E2E_SERVERS/throttled.out" 2>&1 &
  fi
  http_answers "http://127.0.0.1:$E2E_UPDATE_PORT/" || {
    cat "$E2E_SERVERS/throttled.out" >&2 2>/dev/null
    e2e_fatal "the update server does not answer on port $E2E_UPDATE_PORT"
  }
}

# ---------------------------------------------------------------- TLS

# e2e_tls_prepare: the certificates of tests/support/make_tls.sh (kept in the bench, so its prefix
# trusts one authority), that authority trusted by the prefix, and the downloader sent to the TLS
# ports for its update and statistics hosts (the loopback build's server seam). Before
# e2e_site_start, which then serves the statistics over TLS as well.
e2e_tls_prepare() {
  E2E_TLS_DIR="$E2E_BENCH/tls"
  bash "$E2E_MAKE_TLS" "$E2E_TLS_DIR" || e2e_fatal "openssl could not make the certificates"
  e2e_wine "$E2E_TRUST_CA" "$(e2e_win_path "$E2E_TLS_DIR/ca.pem")" ||
    e2e_fatal "trust_ca.exe could not make the prefix trust $E2E_TLS_DIR/ca.pem"
  export DL_TEST_UPDATE_SERVER="https://localhost:$E2E_TLS_UPDATE_PORT"
  export DL_TEST_STATS_SERVER="https://localhost:$E2E_TLS_STATS_PORT"
}

# e2e_tls_certificate NAME: nginx's lines for certificate NAME of E2E_TLS_DIR (server or untrusted).
e2e_tls_certificate() {
  printf 'ssl_certificate "%s/%s.pem"; ssl_certificate_key "%s/%s.key";' \
    "$E2E_TLS_DIR" "$1" "$E2E_TLS_DIR" "$1"
}

# e2e_update_start_tls NAME: the update server over TLS on its TLS port, behind certificate NAME.
e2e_update_start_tls() {
  : >>"$E2E_SERVERS/update-access.log"
  render "$E2E_SOURCE_DIR/update-nginx.conf.in" "$E2E_SERVERS/update.conf" "DIR=$E2E_SERVERS" \
    "PORT=$E2E_TLS_UPDATE_PORT ssl" "CERTIFICATE=$(e2e_tls_certificate "$1")" \
    "USER_LINE=$(nginx_user_line)" "LIMIT="
  e2e_nginx_start update # it binds its port before it daemonises: no answer to wait for
}

e2e_update_stop() {
  e2e_nginx_stop update
  stop_pid "$(cat "$E2E_SERVERS/throttled.pid" 2>/dev/null)" \
    "throttled_server.py --root $E2E_SERVERS/www"
  rm -f "$E2E_SERVERS/throttled.pid"
}

# The file the update server hands out at the package path; its mtime is the Last-Modified.
e2e_served_package() { printf '%s' "$E2E_SERVERS/www$E2E_PACKAGE_PATH"; }

# e2e_serve_package FILE [EPOCH]: FILE becomes the package, dated EPOCH (default: FILE's date).
e2e_serve_package() {
  local target
  target=$(e2e_served_package)
  mkdir -p "$(dirname "$target")"
  cp -p "$1" "$target.tmp"
  [ -n "${2:-}" ] && touch -d "@$2" "$target.tmp"
  # Published as the site does: with its signature beside it.
  openssl dgst -sha256 -sign "$E2E_SITE_KEY" -out "$target.sig" "$target.tmp" ||
    e2e_fatal "could not sign $1"
  mv "$target.tmp" "$target"
}

# Package requests the update server has logged: "METHOD URI "RANGE" "IF-RANGE" STATUS BYTES".
e2e_package_requests() {
  grep -F " $E2E_PACKAGE_PATH " "$E2E_SERVERS/update-access.log" 2>/dev/null
}

# e2e_whole_downloads: how many requests got the whole served package (asked for it, or asked
# for a rest on the condition of another version).
e2e_whole_downloads() {
  e2e_package_requests | grep -c "\" 200 $(e2e_size "$(e2e_served_package)")\$"
}

e2e_stats_lines() { cat "$E2E_SERVERS/stats.log" 2>/dev/null; }

# ---------------------------------------------------------------- the program

# Starts the loopback downloader as Setup_123456.exe from the run's program folder, beside a
# prepared (so enabled) debug log. Sets E2E_APP_PID.
e2e_launch() {
  local exe="$E2E_APP_DIR/$E2E_PROGRAM_NAME"
  [ -f "$exe" ] || cp "$E2E_DOWNLOADER" "$exe"
  : >>"$E2E_APP_DIR/__lobby_dl_debug.log"
  E2E_LAUNCHES=$((E2E_LAUNCHES + 1))
  (cd "$E2E_APP_DIR" && exec "$E2E_WINE_RUN" "$exe") \
    >"$E2E_WORK/wine-$E2E_LAUNCHES.log" 2>&1 &
  E2E_APP_PID=$!
  E2E_PIDS+=("$E2E_APP_PID")
}

# e2e_open_window [WHEN]: starts the program and waits for its window; without it the
# scenario ends.
e2e_open_window() {
  e2e_launch
  e2e_wait_window 20 || e2e_fatal "the installer window did not appear within 20 s${1:+ ($1)}"
}

# e2e_choose_folder CHOICE [WHEN]: starts the program with CHOICE standing in for the shell's
# folder browser (DL_TEST_CHOOSE_FOLDER; the browser cannot be driven here) and clicks 修改.
e2e_choose_folder() {
  DL_TEST_CHOOSE_FOLDER=$1 e2e_open_window "${2:-}"
  e2e_click "${E2E_MODIFY_PATH_XY[@]}"
}

# Runs the program once more and waits for it; a running first instance makes it a second
# start, which only signals the first and ends. Sets E2E_RC.
e2e_second_start() {
  E2E_LAUNCHES=$((E2E_LAUNCHES + 1))
  (cd "$E2E_APP_DIR" && timeout 30 "$E2E_WINE_RUN" "$E2E_APP_DIR/$E2E_PROGRAM_NAME") \
    >"$E2E_WORK/wine-$E2E_LAUNCHES.log" 2>&1
  E2E_RC=$?
}

e2e_not() { ! "$@"; }

e2e_alive() { [ -n "${1:-}" ] && kill -0 "$1" 2>/dev/null; }

# e2e_wait_until SECONDS command...: polls every 0.1 s; false when time ran out.
e2e_wait_until() {
  local deadline=$(($(date +%s%N) / 1000000 + $1 * 1000))
  shift
  until "$@"; do
    [ $(($(date +%s%N) / 1000000)) -ge "$deadline" ] && return 1
    sleep 0.1
  done
}

# e2e_wait_exit PID SECONDS: waits for the program to end; E2E_RC is its exit code. Fails
# (returns 1, E2E_RC empty) when it is still running then.
e2e_wait_exit() {
  E2E_RC=""
  e2e_wait_until "$2" e2e_not e2e_alive "$1" || return 1
  wait "$1" 2>/dev/null
  E2E_RC=$?
}

# e2e_ends SECONDS WHAT: the program ends within SECONDS, else the scenario ends here.
e2e_ends() { e2e_wait_exit "$E2E_APP_PID" "$1" || e2e_fatal "$2 did not end within $1 s"; }

e2e_find_window() {
  xdotool search --onlyvisible --name "^${E2E_WINDOW_TITLE}\$" 2>/dev/null | head -n 1
}

e2e_window_visible() { [ -n "$(e2e_find_window)" ]; }

# Looks the installer window up and reads its place: E2E_WID, E2E_WX, E2E_WY, E2E_WW, E2E_WH.
e2e_locate_window() {
  local WINDOW X Y WIDTH HEIGHT SCREEN
  E2E_WID=$(e2e_find_window)
  [ -n "$E2E_WID" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$E2E_WID" 2>/dev/null)" || return 1
  E2E_WX=$X E2E_WY=$Y E2E_WW=$WIDTH E2E_WH=$HEIGHT
}

# e2e_wait_window [SECONDS]: waits for the installer window, then a moment for its first paint.
e2e_wait_window() {
  e2e_wait_until "${1:-20}" e2e_locate_window || return 1
  sleep 0.7
  e2e_locate_window
}

# e2e_click X Y: brings the mouse onto the client point the way a hand does (more than one
# motion event: a single jump from outside the window lets wine deliver the window's leave
# notice after the return, and the press then finds no control under the mouse), rests, clicks.
e2e_click() {
  e2e_locate_window || {
    fail "no installer window to click at ($1,$2)"
    return 1
  }
  # The program rounds its layout to device pixels half up.
  local x=$((($1 * E2E_DPI + 48) / 96)) y=$((($2 * E2E_DPI + 48) / 96))
  # Without --sync: it waits for a motion event, and a pointer already there makes none.
  xdotool mousemove $((E2E_WX + x - 9)) $((E2E_WY + y - 4))
  sleep 0.05
  xdotool mousemove $((E2E_WX + x)) $((E2E_WY + y))
  sleep 0.2
  xdotool mousedown 1
  sleep 0.06
  # Buttons act on the release: the moment a benchmark counts from.
  E2E_CLICKED_AT=$(date +%s.%N)
  xdotool mouseup 1
  sleep 0.1
}

e2e_click_install() { e2e_click "${E2E_INSTALL_XY[@]}"; }

# e2e_set_dpi DPI: the display density of the programs started from now on (wine reads the
# prefix's LogPixels when a program starts); clicks scale with it.
e2e_set_dpi() {
  e2e_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    >/dev/null 2>&1 || fail "LogPixels could not be set to $1"
  E2E_DPI=$1
}

# Moves the pointer off the window so hover highlights leave the pictures.
e2e_mouse_away() {
  xdotool mousemove 5 5
  sleep 0.1
}

# e2e_shot NAME: the installer window as the screen shows it now (the whole screen when the
# window is not there). Prints the file.
e2e_shot() {
  local out="$E2E_SHOTS/$1.png"
  if e2e_locate_window; then
    import -window root -crop "${E2E_WW}x${E2E_WH}+${E2E_WX}+${E2E_WY}" +repage "$out" 2>/dev/null
  else
    import -window root "$out" 2>/dev/null
  fi
  printf '%s\n' "$out"
}

# The program's visible top-level windows other than the installer window, one a line.
e2e_other_windows() {
  e2e_locate_window || return 1
  xdotool search --onlyvisible --pid "$E2E_APP_PID" 2>/dev/null | grep -vx "$E2E_WID"
}

# The notice (it has no title) overlays the installer window exactly: another window of the
# program at the installer's place and of its size.
e2e_notice_visible() {
  local wid WINDOW X Y WIDTH HEIGHT SCREEN
  e2e_locate_window || return 1
  for wid in $(e2e_other_windows); do
    eval "$(xdotool getwindowgeometry --shell "$wid" 2>/dev/null)" || continue
    [ "$X,$Y,$WIDTH,$HEIGHT" = "$E2E_WX,$E2E_WY,$E2E_WW,$E2E_WH" ] && return 0
  done
  return 1
}

e2e_notice_gone() { ! e2e_notice_visible; }

# ---------------------------------------------------------------- what the installation left

e2e_size() { stat -c %s "$1" 2>/dev/null || echo 0; }

e2e_package_size() { e2e_size "$E2E_INSTALLED_PACKAGE"; }

# e2e_size_above BYTES: the local package file holds more than BYTES.
e2e_size_above() { [ "$(e2e_package_size)" -gt "$1" ]; }

# e2e_download_still SECONDS: no byte reaches the package file for that long.
e2e_download_still() {
  local before after
  before=$(e2e_package_size)
  sleep "$1"
  after=$(e2e_package_size)
  [ "$before" = "$after" ] || {
    echo "  the package file grew from $before to $after bytes" >&2
    return 1
  }
}

# e2e_paused_download: after a pause the block being read when it came may still land: waits
# (up to 5 s) until the file keeps its size for 0.4 s, then no byte may arrive for 1.5 s.
e2e_paused_download() {
  local settled=""
  for _ in $(seq 12); do
    e2e_download_still 0.4 2>/dev/null && settled=1 && break
  done
  [ -n "$settled" ] || echo "  the package file never stopped growing" >&2
  [ -n "$settled" ] && e2e_download_still 1.5
}

# e2e_download_moves SECONDS: the package file grows within that time.
e2e_download_moves() { e2e_wait_until "$1" e2e_size_above "$(e2e_package_size)"; }

# Logs the package file's size every 0.2 s to package-sizes.log while a run lasts, for the
# diagnostics of a failed run.
e2e_trace_package() {
  (
    start=$(date +%s%N) last=""
    while :; do
      size=$(e2e_package_size)
      [ "$size" != "$last" ] && echo "$((($(date +%s%N) - start) / 1000000)) ms $size" &&
        last=$size
      sleep 0.2
    done
  ) >>"$E2E_WORK/package-sizes.log" 2>/dev/null &
  E2E_PIDS+=("$!")
}

# e2e_installed_like PACKAGE BASE: every entry of the package is under BASE with its exact
# content (folders exist; files the installation adds are allowed).
e2e_installed_like() {
  "$E2E_PYTHON" - "$1" "$2" <<'PY'
import os, sys, zipfile
package, base = sys.argv[1], sys.argv[2]
problems = []
with zipfile.ZipFile(package) as archive:
    for info in archive.infolist():
        path = os.path.join(base, *info.filename.rstrip("/").split("/"))
        if info.is_dir() and not os.path.isdir(path):
            problems.append(f"folder missing: {info.filename}")
        elif not info.is_dir() and not os.path.isfile(path):
            problems.append(f"file missing: {info.filename}")
        elif not info.is_dir() and open(path, "rb").read() != archive.read(info):
            problems.append(f"content differs: {info.filename}")
for line in problems[:10]:
    print(line, file=sys.stderr)
sys.exit(f"{len(problems)} entries not installed as packed" if problems else 0)
PY
}

e2e_registry_share_id() {
  e2e_wine reg query "$E2E_SHARE_KEY" /ve 2>/dev/null | tr -d '\r' |
    awk '$1 == "(Default)" || $1 == "(默认)" { print $NF }'
}

# The channel profile reads [ChannelID] ChannelID=<channel> (any line ends).
e2e_channel_profile_ok() {
  local profile="$E2E_INSTALL_DIR/IsLobbyLogin.dat"
  [ -f "$profile" ] || return 1
  tr -d '\r' <"$profile" | awk -v want="$E2E_CHANNEL" '
    /^\[/ { section = $0 }
    section == "[ChannelID]" && $0 == "ChannelID=" want { found = 1 }
    END { exit !found }'
}

# The desktop link exists and names the installed lobby in its UTF-16 strings (a folder in any
# language); separators may come doubled.
e2e_link_ok() {
  local link="$E2E_DESKTOP/Tavoro.lnk"
  [ -s "$link" ] || return 1
  "$E2E_PYTHON" - "$link" "${E2E_INSTALL_WIN}lobby.exe" <<'PY'
import re, sys
raw, want = open(sys.argv[1], "rb").read(), sys.argv[2].lower()
texts = [raw[k:].decode("utf-16-le", "replace") for k in (0, 1)]
sys.exit(not any(want in re.sub(r"\\+", r"\\", t).lower() for t in texts))
PY
}

# e2e_stats_count TYPE RESULT: logged reports of TYPE for the install folder with that
# extraction result, as the site receives them (the folder percent-encoded as UTF-8, letters,
# digits and -_.~ kept).
e2e_stats_count() {
  local folder
  folder=$("$E2E_PYTHON" -c 'import sys, urllib.parse
print(urllib.parse.quote_plus(sys.argv[1], safe="-_.~"))' "$E2E_INSTALL_WIN")
  e2e_stats_lines | grep -cE "^${E2E_STATS_PATH//./\\.}\?SiteID=16&StatistsType=$1&UnzipResult=${folder//+/\\+}%7C$2%7Cattr%3A-?[0-9]+%7Ccreate%3A-?[0-9]+%7Cerrid%3A-?[0-9]+%7Csize%3A-?[0-9]+&channalID=${E2E_CHANNEL}\$"
}

# The downloader ends right after starting the lobby, which writes its note a moment later.
e2e_lobby_ran() { e2e_wait_until 10 test -f "$E2E_INSTALL_DIR/lobby_ran.txt"; }

# e2e_kill_and_resume TOTAL: an installation killed once a third of the package is in, then
# started again: the kept part stays and the second run asks only for the rest (one 206 for
# the remaining bytes). Sets `left`, the size the kill left.
e2e_kill_and_resume() {
  local total=$1
  e2e_open_window
  e2e_click_install
  e2e_wait_until 30 e2e_size_above $((total / 3)) || e2e_fatal "the download did not reach a third"
  kill -9 "$E2E_APP_PID"
  wait "$E2E_APP_PID" 2>/dev/null
  sleep 0.5
  left=$(e2e_package_size)
  check "the killed run left a partial package ($left of $total bytes)" \
    test "$left" -gt 0 -a "$left" -lt "$total"
  e2e_open_window "second run"
  e2e_click_install
  e2e_ends 60 "the second run"
  check "the second run asked only for the rest: Range bytes=$left- on If-Range, answered with 206" \
    grep -qE "^GET ${E2E_PACKAGE_PATH//./\\.} \"bytes=${left}-\" \"[^-\"][^\"]*\" 206 $((total - left))\$" \
    "$E2E_SERVERS/update-access.log"
}

# e2e_check_installed [LABEL]: what every finished installation into E2E_INSTALL_WIN leaves:
# exit code 0, the package's entries, the kept package as served, the channel profile, the
# desktop link, one success report naming the folder, the lobby started.
e2e_check_installed() {
  local p=${1:+$1: } base=${E2E_INSTALL_WIN%\\}
  check "${p}the downloader ended with exit code 0 (got $E2E_RC)" test "$E2E_RC" = 0
  check "${p}every entry of the package is installed under ${base%\\*}\\" \
    e2e_installed_like "$E2E_PACKAGE" "$(dirname "$E2E_INSTALL_DIR")"
  check "${p}nothing is left of the folder the package was unpacked in before its check" \
    test ! -e "${E2E_INSTALL_DIR%/}.staging"
  check "${p}the package is kept in $E2E_INSTALL_WIN, identical to the served one" \
    cmp -s "$E2E_INSTALLED_PACKAGE" "$(e2e_served_package)"
  check "${p}IsLobbyLogin.dat holds [ChannelID] ChannelID=$E2E_CHANNEL" e2e_channel_profile_ok
  check "${p}Tavoro.lnk on the desktop points at ${E2E_INSTALL_WIN}lobby.exe" e2e_link_ok
  check "${p}the site got one success report (StatistsType=3) naming $E2E_INSTALL_WIN" \
    test "$(e2e_stats_count 3 0)" = 1
  check "${p}the lobby was started from $E2E_INSTALL_WIN (lobby_ran.txt)" e2e_lobby_ran
}

# ---------------------------------------------------------------- end of a run

e2e_show_diagnostics() {
  local f
  echo "--- diagnostics (work folder $E2E_WORK)" >&2
  for f in "$E2E_APP_DIR/__lobby_dl_debug.log" "$E2E_WORK/package-sizes.log" \
    "$E2E_SERVERS/update-access.log" "$E2E_SERVERS/stats.log" "$E2E_SERVERS/site-access.log" \
    "$E2E_WORK"/wine-*.log; do
    [ -s "$f" ] || continue
    echo "--- $f (last 25 lines)" >&2
    tail -n 25 "$f" | tr -d '\r' >&2
  done
  [ -d "$E2E_INSTALL_DIR" ] && echo "--- install folder $E2E_INSTALL_DIR" >&2 &&
    ls -la "$E2E_INSTALL_DIR" >&2
  echo "--- screenshots: $E2E_SHOTS" >&2
}

e2e_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]+"${E2E_PIDS[@]}"}"; do
    kill -9 "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  e2e_update_stop
  e2e_nginx_stop site
  [ -n "${E2E_EXTRA_CLEANUP:-}" ] && eval "$E2E_EXTRA_CLEANUP"
  return 0
}

e2e_finish() {
  if [ "$FAILURES" -gt 0 ]; then
    e2e_show_diagnostics
    echo "$(basename "$0"): $FAILURES check(s) failed" >&2
    exit 1
  fi
  echo "$(basename "$0"): all checks passed" >&2
  exit 0
}

# e2e_skip REASON: the scenario cannot run on this machine (ctest shows it as skipped).
e2e_skip() {
  echo "SKIP: $*" >&2
  exit 77
}
