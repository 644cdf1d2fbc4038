#!/usr/bin/env bash
# The update server is down: the download runs out of attempts and the download failure notice
# offers both buttons; once the server is back, 重新下载 starts a new download at once, which
# installs. No report reaches the site for the failed download.
#
#   download_failure_test.sh BUILD/e2e/e2e.env
set -uo pipefail
. "$(dirname "$0")/lib.sh"
e2e_load "$1"
e2e_prepare
e2e_site_start
# No update server yet: every attempt is refused at once.

e2e_launch
e2e_wait_window 20 || e2e_fatal "the installer window did not appear within 20 s"
e2e_click_install
e2e_mouse_away
started=$SECONDS
# Each refused attempt costs a connection; all of them take a few minutes under wine.
e2e_wait_until 150 e2e_notice_visible ||
  e2e_fatal "no failure notice within 150 s of the click with the update server down"
e2e_say "download failure notice after $((SECONDS - started)) s"
sleep 0.5
e2e_say "notice: $(e2e_shot download-failure-notice)"
e2e_check "the program is still running behind the notice" e2e_alive "$E2E_APP_PID"
e2e_check "no report for a failed download" test "$(e2e_stats_lines | wc -l)" = 0
e2e_check "no package file was made" test "$(e2e_package_size)" = 0

e2e_update_start 0
e2e_serve_package "$E2E_PACKAGE"
e2e_click "${E2E_NOTICE_RETRY_XY[@]}"
e2e_mouse_away
e2e_check "重新下载 hides the notice" e2e_wait_until 5 e2e_notice_gone
e2e_wait_exit "$E2E_APP_PID" 60 || e2e_fatal "the new download did not install within 60 s"
e2e_check "重新下载 started a download at once, which installed (exit code $E2E_RC)" \
  test "$E2E_RC" = 0
e2e_check "the package is identical to the served one" \
  e2e_same_file "$E2E_INSTALLED_PACKAGE" "$(e2e_served_package)"
e2e_check "the lobby was started (lobby_ran.txt)" e2e_lobby_ran
e2e_check "the site got one success report, and nothing else" \
  test "$(e2e_stats_count 3 0)/$(e2e_stats_lines | wc -l)" = 1/1
e2e_finish
