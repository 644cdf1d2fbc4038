#!/usr/bin/env bash
# A damaged package: the extraction fails, the site gets a failure report (StatistsType=4) and
# the installation failure notice offers 确定 only. After 确定 the install button continues; by
# then the site serves the good package under the same Last-Modified, so only a downloader that
# no longer takes its damaged file for complete fetches it again and installs.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
e2e_begin "$1"
broken="$E2E_WORK/broken.zip"
cp "$E2E_PACKAGE" "$broken"
"$E2E_PYTHON" "$E2E_SOURCE_DIR/damage_package.py" "$broken"
dated=$(($(date +%s) - 3600))
e2e_serve_package "$broken" "$dated"

e2e_open_window
e2e_click_install
e2e_mouse_away
e2e_wait_until 60 e2e_notice_visible || e2e_fatal "no failure notice within 60 s"
sleep 0.5
e2e_say "notice: $(e2e_shot installation-failure-notice)"
check "the site got one failure report (StatistsType=4) with the extraction's code" \
  test "$(e2e_stats_count 4 '(512|1792|2048|65536|83886080)')" = 1
check "no success report" test "$(e2e_stats_count 3 0)" = 0
check "the lobby was not started" test ! -e "$E2E_INSTALL_DIR/lobby_ran.txt"

# Where 重新下载 stands on the other notice there is nothing to press.
requests=$(e2e_package_requests | wc -l)
e2e_click "${E2E_NOTICE_RETRY_XY[@]}"
e2e_mouse_away
sleep 1.5
check "the installation failure notice has no 重新下载: a click there does nothing" \
  e2e_notice_visible
check "nothing was downloaded by that click" test "$(e2e_package_requests | wc -l)" = "$requests"

# The site puts the good package in place with the old date; the user presses 确定, continues.
e2e_serve_package "$E2E_PACKAGE" "$dated"
e2e_click "${E2E_NOTICE_OK_XY[@]}"
e2e_mouse_away
check "确定 hides the notice" e2e_wait_until 5 e2e_notice_gone
sleep 1
check "after 确定 the new attempt waits for the install button (nothing fetched)" \
  test "$(e2e_package_requests | wc -l)" = "$requests"
check "the downloader still runs" e2e_alive "$E2E_APP_PID"
e2e_click_install
e2e_ends 60 "the continued installation"
check "the good package was downloaded whole again" test "$(e2e_whole_downloads)" -ge 2
e2e_check_installed
e2e_finish
