#!/usr/bin/env bash
# Resume across runs: the downloader is killed part-way through the download; the next run
# asks the update server only for the rest (a Range request from the size the file had) and
# ends with a package identical to the served one.
#
#   resume_test.sh BUILD/e2e/e2e.env
set -uo pipefail
. "$(dirname "$0")/lib.sh"
e2e_load "$1"
e2e_prepare
e2e_site_start
e2e_update_start 800k
e2e_serve_package "$E2E_PACKAGE"
total=$(e2e_size "$(e2e_served_package)")

e2e_launch
e2e_wait_window 20 || e2e_fatal "the installer window did not appear within 20 s"
e2e_click_install
e2e_wait_until 30 e2e_size_above $((total / 3)) || e2e_fatal "the download did not reach a third"
kill -9 "$E2E_APP_PID"
wait "$E2E_APP_PID" 2>/dev/null
sleep 0.5
left=$(e2e_package_size)
e2e_say "killed the downloader with $left of $total bytes in the package file"
e2e_check "the killed run left a partial package ($left of $total bytes)" \
  test "$left" -gt 0 -a "$left" -lt "$total"

e2e_launch
e2e_wait_window 20 || e2e_fatal "the installer window did not appear on the second run"
e2e_click_install
e2e_wait_exit "$E2E_APP_PID" 60 || e2e_fatal "the second run did not end within 60 s"
e2e_check "the second run ended with exit code 0 (got $E2E_RC)" test "$E2E_RC" = 0
e2e_check "the second run asked only for the rest: Range bytes=$left- answered with 206" \
  grep -qE "^GET ${E2E_PACKAGE_PATH//./\\.} \"bytes=${left}-\" 206 $((total - left))\$" \
  "$E2E_SERVERS/update-access.log"
e2e_check "no whole download after the kill" \
  test "$(e2e_package_requests | grep -c '"-" 200 '"$total"'$')" = 0
e2e_check "the package is identical to the served one" \
  e2e_same_file "$E2E_INSTALLED_PACKAGE" "$(e2e_served_package)"
e2e_check "every entry of the package is installed" \
  e2e_installed_like "$E2E_PACKAGE" "$(dirname "$E2E_INSTALL_DIR")"
e2e_check "the lobby was started (lobby_ran.txt)" e2e_lobby_ran
e2e_finish
