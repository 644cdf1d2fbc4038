#!/usr/bin/env bash
# The update server is down: after the give-up time (8 s in this build) without a byte the
# download failure notice offers both buttons; once the server is back, 重新下载 starts a new download at once, which
# installs. No report reaches the site for the failed download.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
e2e_begin "$1" none # no update server yet: every attempt is refused at once

e2e_open_window
e2e_click_install
e2e_mouse_away
started=$SECONDS
sleep 3
e2e_say "waiting to reconnect: $(e2e_shot reconnecting)"
e2e_wait_until 30 e2e_notice_visible ||
  e2e_fatal "no failure notice within 33 s of the click with the update server down"
e2e_say "download failure notice after $((SECONDS - started)) s"
sleep 0.5
e2e_say "notice: $(e2e_shot download-failure-notice)"
check "the program is still running behind the notice" e2e_alive "$E2E_APP_PID"
check "no report for a failed download" test "$(e2e_stats_lines | wc -l)" = 0
check "no package file was made" test "$(e2e_package_size)" = 0

e2e_update_start 0
e2e_serve_package "$E2E_PACKAGE"
e2e_click "${E2E_NOTICE_RETRY_XY[@]}"
e2e_mouse_away
check "重新下载 hides the notice" e2e_wait_until 5 e2e_notice_gone
e2e_ends 60 "the new download (重新下载 starts one at once)"
e2e_check_installed
check "the success report is the only one" test "$(e2e_stats_lines | wc -l)" = 1
e2e_finish
