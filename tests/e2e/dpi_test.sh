#!/usr/bin/env bash
# The installer on displays of 96, 120, 144 and 192 DPI (the prefix's LogPixels): the window
# takes the size of its design at that density, its text and artwork are drawn at that density
# (sharper than the 96-DPI picture enlarged), and clicks at the scaled places hit the scaled
# controls: the install button starts the download at each density, and at 192 DPI installs;
# at 144 DPI the failure notice is shown and answered by a click too.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
# Throttled so that each killed run leaves most of the package to the last one.
e2e_begin "$1" 300k
e2e_serve_package "$E2E_PACKAGE"
# The bench is shared with the other scenarios: it goes back to 96 DPI however this one ends.
E2E_EXTRA_CLEANUP='e2e_set_dpi 96'
total=$(e2e_size "$(e2e_served_package)")

for dpi in 96 120 144 192; do
  e2e_set_dpi "$dpi"
  e2e_open_window "at $dpi DPI"
  e2e_mouse_away
  size="$(((600 * dpi + 48) / 96))x$(((350 * dpi + 48) / 96))"
  check "at $dpi DPI the window is $size (is ${E2E_WW}x${E2E_WH})" test "${E2E_WW}x${E2E_WH}" = "$size"
  shot=$(e2e_shot "window-$dpi-dpi")
  e2e_say "window at $dpi DPI: $shot"
  if [ "$dpi" = 96 ]; then
    base=$shot
  else
    check "at $dpi DPI text and edges are sharper than the 96-DPI picture enlarged" \
      "$E2E_PYTHON" "$E2E_SOURCE_DIR/dpi_sharpness.py" "$base" "$shot" "$dpi" 1.25
  fi
  e2e_click_install
  if [ "$dpi" != 192 ]; then
    check "at $dpi DPI a click on the scaled install button downloads" e2e_download_moves 10
    e2e_mouse_away
    e2e_say "downloading at $dpi DPI: $(e2e_shot "downloading-$dpi-dpi")"
    if [ "$dpi" = 144 ]; then
      # The notice is a window of its own, scaled and hit-tested the same way.
      e2e_update_stop
      e2e_wait_until 30 e2e_notice_visible || e2e_fatal "no failure notice at $dpi DPI"
      e2e_say "failure notice at $dpi DPI: $(e2e_shot "notice-$dpi-dpi")"
      e2e_update_start 300k
      e2e_click "${E2E_NOTICE_OK_XY[@]}"
      check "at $dpi DPI a click on the notice's scaled 确定 closes it" e2e_wait_until 5 e2e_notice_gone
    fi
    kill -9 "$E2E_APP_PID"
    wait "$E2E_APP_PID" 2>/dev/null
  fi
done
e2e_ends 90 "the downloader at 192 DPI"
e2e_check_installed "192 DPI"
check "the package arrived whole ($total bytes)" test "$(e2e_package_size)" = "$total"
e2e_finish
