#!/usr/bin/env bash
# An installation by key presses only: Tab round the stops to the install button, Enter starts,
# Space pauses and continues; after the update server was away, the failure notice answers Enter
# (重新下载, its first button) and Escape (确定: held paused); Alt+F4 sends the window to the
# tray while the download goes on, and the finished installation ends the program.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
e2e_begin "$1" 300k
e2e_serve_package "$E2E_PACKAGE"
total=$(e2e_size "$(e2e_served_package)")

# xdotool types into the window that has the keyboard, as a person's keyboard does.
key() {
  xdotool key --clearmodifiers "$@"
  sleep 0.3
}

e2e_open_window
e2e_mouse_away
# No window manager here hands a new window the keyboard; the test does, once.
xdotool windowfocus --sync "$E2E_WID"
key Tab
e2e_say "ring on 修改 after one Tab: $(e2e_shot keyboard-ring-modify)"
key Tab Tab Tab
e2e_say "ring back on the install button: $(e2e_shot keyboard-ring-install)"
key Return
check "Enter on the install button starts the download" e2e_wait_until 15 e2e_size_above 0
e2e_wait_until 20 e2e_size_above $((total / 10)) || e2e_fatal "the download did not reach 10 %"
e2e_say "downloading, time left beside the speed: $(e2e_shot keyboard-downloading)"
key space
check "Space pauses: no byte arrives for 1.5 s" e2e_paused_download
key space
check "Space continues" e2e_download_moves 5

# The notice's keys, each after the update server went away and came back.
fail_download() {
  e2e_update_stop
  e2e_wait_until 30 e2e_notice_visible || e2e_fatal "no failure notice with the update server down"
  e2e_update_start 300k
}
fail_download
e2e_say "notice: $(e2e_shot keyboard-notice)"
key Return
check "Enter on the notice's first button (重新下载) hides it" e2e_wait_until 5 e2e_notice_gone
check "重新下载 downloads again at once" e2e_download_moves 10
fail_download
key Escape
check "Escape answers the notice as 确定" e2e_wait_until 5 e2e_notice_gone
check "确定 leaves the download held paused" e2e_paused_download
key space
check "Space continues it" e2e_download_moves 10

key alt+F4
check "Alt+F4 hides the window like the close button" e2e_wait_until 5 e2e_not e2e_window_visible
check "the program keeps running in the tray" e2e_alive "$E2E_APP_PID"
check "the download goes on while the window is hidden" e2e_download_moves 5
e2e_ends 90 "the downloader"
e2e_check_installed
e2e_finish
