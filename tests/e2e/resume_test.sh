#!/usr/bin/env bash
# Resume across runs: the downloader is killed part-way through the download; the next run
# asks the update server only for the rest (a Range request from the size the file had) and
# ends with a package identical to the served one.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
e2e_begin "$1" 800k
e2e_serve_package "$E2E_PACKAGE"
total=$(e2e_size "$(e2e_served_package)")

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
check "the second run asked only for the rest: Range bytes=$left- answered with 206" \
  grep -qE "^GET ${E2E_PACKAGE_PATH//./\\.} \"bytes=${left}-\" 206 $((total - left))\$" \
  "$E2E_SERVERS/update-access.log"
check "no whole download after the kill" test "$(e2e_whole_downloads)" = 0
e2e_check_installed
e2e_finish
