#!/usr/bin/env bash
# Pause and continue, by the install button and by starting the program a second time, then
# the close button during the download: the window goes to the tray, the download goes on, and
# the finished installation brings the window back and starts the lobby.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
# About 22 s for the whole package, pauses included (nginx catches up after a stall): long
# enough to act while it downloads.
e2e_begin "$1" 300k
e2e_serve_package "$E2E_PACKAGE"
total=$(e2e_size "$(e2e_served_package)")
paused_part_way() { e2e_not e2e_size_above $((total - 1)); }

e2e_open_window
first_window=$E2E_WID

# A second start while idle starts the installation.
e2e_second_start
check "a second start ends with exit code 0 (got $E2E_RC)" test "$E2E_RC" = 0
check "a second start while idle starts the download" e2e_wait_until 15 e2e_size_above 0
check "a second start makes no window of its own" \
  test "$(xdotool search --onlyvisible --name "^${E2E_WINDOW_TITLE}\$" | wc -l)" = 1

# A second start while downloading pauses it.
e2e_wait_until 20 e2e_size_above $((total / 10)) || e2e_fatal "the download did not reach 10 %"
e2e_second_start
check "a second start while downloading pauses: no byte arrives for 1.5 s" e2e_paused_download
check "paused part-way ($(e2e_package_size) of $total bytes)" paused_part_way

# The install button continues and pauses.
e2e_click_install
check "the install button continues the download" e2e_download_moves 5
e2e_click_install
e2e_mouse_away
check "the install button pauses again: no byte arrives for 1.5 s" e2e_paused_download
e2e_say "paused window: $(e2e_shot paused)"
check "paused part-way again ($(e2e_package_size) of $total bytes)" paused_part_way
e2e_click_install
check "the install button continues once more" e2e_download_moves 5

# Close to the tray during the download. xev records the window leaving and coming back.
xev -root -event substructure >"$E2E_WORK/xev.log" 2>&1 &
E2E_PIDS+=("$!")
sleep 0.3
e2e_click "${E2E_CLOSE_XY[@]}"
check "the close button hides the window" e2e_wait_until 5 e2e_not e2e_window_visible
check "the download goes on while the window is hidden" e2e_download_moves 5
check "the program keeps running in the tray" e2e_alive "$E2E_APP_PID"

e2e_ends 60 "the downloader (after hiding)"
sleep 0.3
check "the finished installation brought the window back before the end" \
  awk -v w="$(printf '0x%x' "$first_window")" '
    /^UnmapNotify/ { getline; if (index($0, "window " w ",")) hidden = 1 }
    /^MapNotify/ { getline; if (hidden && index($0, "window " w ",")) back = 1 }
    END { exit !back }' "$E2E_WORK/xev.log"
e2e_check_installed
e2e_finish
