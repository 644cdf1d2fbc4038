#!/usr/bin/env bash
# A whole installation as a user makes it: Setup_123456.exe started, the install button
# clicked once, then everything the installation leaves on the machine and tells the site.
#
#   success_test.sh BUILD/e2e/e2e.env
set -uo pipefail
. "$(dirname "$0")/lib.sh"
e2e_load "$1"
e2e_prepare
e2e_site_start
e2e_update_start 0
e2e_serve_package "$E2E_PACKAGE"

e2e_launch
e2e_wait_window 20 || e2e_fatal "the installer window did not appear within 20 s"
e2e_check "the installer window is 600x350 (is ${E2E_WW}x${E2E_WH})" \
  test "${E2E_WW}x${E2E_WH}" = 600x350
e2e_mouse_away
e2e_say "idle window: $(e2e_shot idle)"
# Stored at start-up, before any click.
e2e_check "the share id of the program's name is in the registry" \
  test "$(e2e_registry_share_id)" = "$E2E_SHARE_ID"
e2e_check "nothing is installed before the click" test ! -e "$E2E_INSTALL_DIR"

e2e_click_install
e2e_wait_exit "$E2E_APP_PID" 90 || e2e_fatal "the downloader did not end within 90 s of the click"
e2e_check "the downloader ended with exit code 0 (got $E2E_RC)" test "$E2E_RC" = 0

e2e_check "the default install folder is C:\\Program Files\\Tavoro (no drive D:)" \
  test -d "$E2E_INSTALL_DIR"
e2e_check "every entry of the package is installed under C:\\Program Files" \
  e2e_installed_like "$E2E_PACKAGE" "$(dirname "$E2E_INSTALL_DIR")"
e2e_check "the package is kept in the install folder, identical to the served one" \
  e2e_same_file "$E2E_INSTALLED_PACKAGE" "$(e2e_served_package)"
e2e_check "IsLobbyLogin.dat holds [ChannelID] ChannelID=$E2E_CHANNEL" e2e_channel_profile_ok
e2e_check "the share id is still in the registry" \
  test "$(e2e_registry_share_id)" = "$E2E_SHARE_ID"
e2e_check "Tavoro.lnk on the desktop points at the installed lobby.exe" e2e_link_ok
e2e_check "the site got one success report (StatistsType=3) for the folder" \
  test "$(e2e_stats_count 3 0)" = 1
e2e_check "the site got no failure report" test "$(e2e_stats_count 4 '[0-9]+')" = 0
e2e_check "the lobby was started (lobby_ran.txt)" e2e_lobby_ran
e2e_check "the package was fetched once, whole" \
  test "$(e2e_package_requests | grep -c '"-" 200 ')" = 1
e2e_finish
