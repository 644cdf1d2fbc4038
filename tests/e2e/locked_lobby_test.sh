#!/usr/bin/env bash
# An installed lobby that is running (its lobby.exe held so nobody can replace it, readable as
# a running program's is) while the site has a newer package: the new package cannot be
# unpacked over it, so the downloader starts the present lobby and ends, without a report and
# without a notice.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
e2e_begin "$1"
now=$(date +%s)
e2e_serve_package "$E2E_PACKAGE" $((now - 7200))

# The present installation.
e2e_open_window
e2e_click_install
e2e_ends 60 "the first installation"
e2e_lobby_ran || e2e_fatal "the first installation did not start the lobby"
rm -f "$E2E_INSTALL_DIR/lobby_ran.txt"
lobby_before=$(md5sum <"$E2E_INSTALL_DIR/lobby.exe")
reports_before=$(e2e_stats_lines | wc -l)

# The lobby "runs", and the site publishes a newer package.
"$E2E_WINE_RUN" "$E2E_FILE_HOLDER" "${E2E_INSTALL_WIN}lobby.exe" \
  "$(e2e_win_path "$E2E_WORK/holding")" 120 >"$E2E_WORK/holder.log" 2>&1 &
holder=$!
E2E_PIDS+=("$holder")
e2e_wait_until 15 test -e "$E2E_WORK/holding" || e2e_fatal "the file holder did not take lobby.exe"
e2e_serve_package "$E2E_PACKAGE" "$now"

e2e_open_window "second run"
e2e_click_install
e2e_ends 60 "the second run"
check "the second run ended with exit code 0 (got $E2E_RC)" test "$E2E_RC" = 0
check "the newer package was downloaded" test "$(e2e_whole_downloads)" = 2
check "the present lobby was started (lobby_ran.txt)" e2e_lobby_ran
check "the present lobby.exe was left as it was" \
  test "$(md5sum <"$E2E_INSTALL_DIR/lobby.exe")" = "$lobby_before"
check "no report for this run" test "$(e2e_stats_lines | wc -l)" = "$reports_before"
check "the lobby was still held to the end (the holder runs)" e2e_alive "$holder"
e2e_finish
