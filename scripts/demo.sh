#!/usr/bin/env bash
# The demo: builds the downloader for local servers, starts them (update server with the test
# lobby package, throttled so the download lasts a few seconds; statistics server logging
# every report; banner page) and installs the lobby under wine in a private prefix.
#
# With $DISPLAY the window shows there and you click. Without one it runs on a virtual
# display and clicks like a person (install, pause, continue), saving screenshots; then a
# second run against a broken package shows the failure notice. Either way it prints what was
# installed, the registry record, the desktop link and the statistics log, and ends by itself.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
zlib=$(bash scripts/setup.sh --print-zlib-dir)
cmake --preset x64-release -DDL_ZLIB_SOURCE_DIR="$zlib" >/dev/null
# The lobby package and the downloader built for the loopback ports of the local servers.
cmake --build --preset x64-release --target test_package e2e_downloader file_holder

user_display="${DISPLAY:-}"
# shellcheck source=../tests/e2e/lib.sh
. tests/e2e/lib.sh
E2E_BENCH_OVERRIDE="$root/build/demo"
E2E_WORK="$root/build/demo/run"
e2e_load build/x64-release/e2e/e2e.env
set +e # from here on failures are reported, not fatal

"$E2E_BENCH_SOURCE_DIR/start.sh" "$E2E_BENCH" >/dev/null || exit 1
E2E_EXTRA_CLEANUP='"$E2E_BENCH_SOURCE_DIR/stop.sh" "$E2E_BENCH" >/dev/null 2>&1'
e2e_prepare
e2e_site_start
# About 10 s for the 6.6 MB package: time enough to watch it, pause it and continue.
e2e_update_start 700k
e2e_serve_package "$E2E_PACKAGE"

installed=0
if [ -n "$user_display" ]; then
  DISPLAY=$user_display
  export DL_DISPLAY=$user_display
  echo
  echo "The downloader opens on $user_display. Click the big button to install; click it"
  echo "again to pause and once more to continue. When the lobby is installed the downloader"
  echo "starts it and ends. (The demo ends it after 10 minutes.)"
  e2e_launch
  if e2e_wait_exit "$E2E_APP_PID" 600; then
    installed=1
  else
    echo "demo: ending the downloader after 10 minutes"
  fi
else
  shot() { shots+=("$(e2e_shot "$1")"); }
  shots=()
  say() { echo "demo: $*"; }
  e2e_launch
  if ! e2e_wait_window 30; then
    say "the downloader window did not appear"
    exit 1
  fi
  e2e_mouse_away
  shot 1-idle
  say "clicking the install button"
  e2e_click_install
  e2e_mouse_away
  total=$(e2e_size "$(e2e_served_package)")
  if e2e_wait_until 30 e2e_size_above $((total / 4)); then
    shot 2-downloading
    say "clicking it again: pause"
    e2e_click_install
    e2e_mouse_away
    sleep 1
    if e2e_download_still 1.5; then
      say "paused at $(e2e_package_size) of $total bytes; nothing arrives"
    else
      say "the download went on while paused"
    fi
    shot 3-paused
    say "clicking it once more: continue"
    e2e_click_install
    e2e_mouse_away
    if e2e_wait_until 60 e2e_size_above $((total - 1)); then
      shot 4-starting
    fi
    if e2e_wait_exit "$E2E_APP_PID" 60; then
      installed=1
    else
      say "the downloader did not end after the download"
    fi
  else
    say "the download did not start (the package file stayed at $(e2e_package_size) bytes)"
  fi
fi

report_install() {
  echo
  echo "== Installation (downloader exit code ${E2E_RC:-none})"
  echo "install folder $E2E_INSTALL_WIN ($E2E_INSTALL_DIR):"
  if [ -d "$E2E_INSTALL_DIR" ]; then
    ls -la "$E2E_INSTALL_DIR" | sed 's/^/  /'
    echo "  ($(find "$E2E_INSTALL_DIR" -type f | wc -l) files in all)"
  else
    echo "  (missing)"
  fi
  echo "channel profile IsLobbyLogin.dat:"
  tr -d '\r' <"$E2E_INSTALL_DIR/IsLobbyLogin.dat" 2>/dev/null | sed 's/^/  /' || echo "  (missing)"
  echo "lobby_ran.txt (the stand-in lobby's note of its start):"
  tr -d '\r' <"$E2E_INSTALL_DIR/lobby_ran.txt" 2>/dev/null | sed 's/^/  /' || echo "  (missing)"
  echo "registry (wine reg query $E2E_SHARE_KEY):"
  e2e_wine reg query "$E2E_SHARE_KEY" 2>&1 | tr -d '\r' | sed '/^$/d; s/^/  /'
  echo "desktop link $E2E_DESKTOP/Tavoro.lnk:"
  if [ -f "$E2E_DESKTOP/Tavoro.lnk" ]; then
    strings -a "$E2E_DESKTOP/Tavoro.lnk" | grep -iE '^[a-z]:\\.*lobby\.exe$' | head -n 1 |
      sed 's/^/  target /'
  else
    echo "  (missing)"
  fi
}
# The lobby writes its note a moment after the downloader has ended.
[ "$installed" = 1 ] && [ "$E2E_RC" = 0 ] && e2e_lobby_ran || installed=0
report_install

if [ -z "$user_display" ]; then
  # A second run: the site now serves a broken package.
  echo
  say "second run: the update server now hands out a damaged package"
  broken="$E2E_WORK/broken.zip"
  cp "$E2E_PACKAGE" "$broken"
  "$E2E_PYTHON" "$E2E_SOURCE_DIR/damage_package.py" "$broken"
  e2e_serve_package "$broken" "$(($(date +%s) + 60))"
  rm -f "$E2E_INSTALL_DIR/lobby_ran.txt"
  e2e_launch
  if e2e_wait_window 30; then
    e2e_click_install
    e2e_mouse_away
    if e2e_wait_until 60 e2e_notice_visible; then
      sleep 0.5
      shot 5-failure-notice
      say "the installation failure notice is up; clicking 确定"
      e2e_click "${E2E_NOTICE_OK_XY[@]}"
      e2e_mouse_away
    else
      shot 5-no-notice
      say "no failure notice appeared within 60 s"
    fi
  fi
  say "ending the downloader of the second run"
  kill -9 "$E2E_APP_PID" 2>/dev/null
  wait "$E2E_APP_PID" 2>/dev/null
fi

echo
echo "== Statistics server log ($E2E_SERVERS/stats.log)"
sed 's/^/  /' "$E2E_SERVERS/stats.log"
echo "== Update server log ($E2E_SERVERS/update-access.log)"
sed 's/^/  /' "$E2E_SERVERS/update-access.log"
if [ -z "$user_display" ]; then
  echo "== Screenshots"
  printf '  %s\n' "${shots[@]}"
fi
echo
if [ "$installed" = 1 ]; then
  echo "demo: the lobby was installed and started."
  exit 0
fi
echo "demo: the installation did not complete (see above)."
exit 1
