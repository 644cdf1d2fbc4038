#!/usr/bin/env bash
# The site over https (the loopback build sent to its TLS ports): behind a certificate from an
# authority nobody trusts, no request gets through and the give-up time ends in the download
# failure notice, with nothing installed and nothing reported; behind the site's own certificate,
# 重新下载 installs, and the report reaches the statistics server over TLS.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
e2e_load "$1"
e2e_prepare
e2e_tls_prepare
e2e_site_start
e2e_update_start_tls untrusted
e2e_serve_package "$E2E_PACKAGE"

e2e_open_window
e2e_click_install
e2e_mouse_away
started=$SECONDS
e2e_wait_until 40 e2e_notice_visible ||
  e2e_fatal "no failure notice within 40 s of the click behind an untrusted certificate"
e2e_say "download failure notice after $((SECONDS - started)) s"
sleep 0.5
e2e_say "notice: $(e2e_shot untrusted-certificate-notice)"
check "no request for the package got past the untrusted certificate" \
  test "$(e2e_package_requests | wc -l)" = 0
check "no package file was made" test "$(e2e_package_size)" = 0
check "no lobby is installed" test ! -e "$E2E_INSTALL_DIR/lobby.exe"
check "no report for a failed download" test "$(e2e_stats_lines | wc -l)" = 0

e2e_update_stop
e2e_update_start_tls server
e2e_click "${E2E_NOTICE_RETRY_XY[@]}"
e2e_mouse_away
e2e_ends 60 "the download over https"
e2e_check_installed
check "the report came to the statistics server's TLS port" \
  grep -q "^$E2E_TLS_STATS_PORT GET $E2E_STATS_PATH?.*&StatistsType=3&" "$E2E_SERVERS/site-access.log"
e2e_finish
