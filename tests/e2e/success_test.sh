#!/usr/bin/env bash
# A whole installation as a user makes it: Setup_123456.exe started, the install button
# clicked once, then everything the installation leaves on the machine and tells the site.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
e2e_begin "$1"
e2e_serve_package "$E2E_PACKAGE"

e2e_open_window
check "the installer window is 600x350 (is ${E2E_WW}x${E2E_WH})" \
  test "${E2E_WW}x${E2E_WH}" = 600x350
e2e_mouse_away
e2e_say "idle window: $(e2e_shot idle)"
# Stored at start-up, before any click.
check "the share id of the program's name is in the registry" \
  test "$(e2e_registry_share_id)" = "$E2E_SHARE_ID"
check "nothing is installed before the click" test ! -e "$E2E_INSTALL_DIR"

e2e_click_install
e2e_ends 90 "the downloader"
check "the default install folder is C:\\Program Files\\Tavoro (no drive D:)" \
  test -d "$E2E_INSTALL_DIR"
e2e_check_installed
check "the share id is still in the registry" test "$(e2e_registry_share_id)" = "$E2E_SHARE_ID"
check "the site got no failure report" test "$(e2e_stats_count 4 '[0-9]+')" = 0
check "the package was fetched once, whole" test "$(e2e_package_requests | grep -c '"-" 200 ')" = 1
check "the package was unpacked as it arrived, not read again whole afterwards" \
  grep -q "unpacked as it arrived: [1-9][0-9]* entries" "$E2E_APP_DIR/__lobby_dl_debug.log"
e2e_finish
