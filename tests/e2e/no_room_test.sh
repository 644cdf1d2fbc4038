#!/usr/bin/env bash
# The free-space test of a chosen folder, on two real volumes: a 549 MiB one is refused with the
# message box and the folder stays the default; a 550 MiB one is accepted and installed into.
# The volumes are tmpfs mounts mapped as wine drives F: and G:; mounting needs root (or the
# right to mount), without it the test is skipped.
#
#   no_room_test.sh BUILD/e2e/e2e.env
set -uo pipefail
. "$(dirname "$0")/lib.sh"
e2e_load "$1"
small="$E2E_BUILD_DIR/volumes/549m"
exact="$E2E_BUILD_DIR/volumes/550m"

unmount_volumes() {
  local dir
  for dir in "$small" "$exact"; do
    mountpoint -q "$dir" 2>/dev/null && umount "$dir"
  done
  rm -f "$E2E_PREFIX/dosdevices/f:" "$E2E_PREFIX/dosdevices/g:"
}
unmount_volumes # a killed run may have left them
e2e_prepare
E2E_EXTRA_CLEANUP=unmount_volumes # from here on every way out unmounts
mkdir -p "$small" "$exact"
mount -t tmpfs -o size=549m,mode=0755 dl-e2e-549m "$small" 2>"$E2E_BUILD_DIR/volumes/mount.log" ||
  e2e_skip "cannot mount a tmpfs volume here ($(head -n 1 "$E2E_BUILD_DIR/volumes/mount.log"))"
mount -t tmpfs -o size=550m,mode=0755 dl-e2e-550m "$exact" ||
  e2e_skip "cannot mount a second tmpfs volume here"
ln -s "$small" "$E2E_PREFIX/dosdevices/f:"
ln -s "$exact" "$E2E_PREFIX/dosdevices/g:"
e2e_say "volumes: $(df -m --output=target,avail "$small" "$exact" | tail -n 2 | tr -s ' ' | paste -sd ';')"
e2e_site_start
e2e_update_start 0
e2e_serve_package "$E2E_PACKAGE"

# Any other visible window of the program than the installer window: the message box.
other_window() {
  local wid
  e2e_locate_window || return 1
  for wid in $(xdotool search --onlyvisible --pid "$E2E_APP_PID" 2>/dev/null); do
    [ "$wid" = "$E2E_WID" ] && continue
    echo "$wid"
    return 0
  done
  return 1
}
has_other_window() { [ -n "$(other_window)" ]; }

# 549 MiB: refused.
export DL_TEST_CHOOSE_FOLDER='F:\'
e2e_launch
unset DL_TEST_CHOOSE_FOLDER
e2e_wait_window 20 || e2e_fatal "the installer window did not appear"
e2e_click "${E2E_MODIFY_PATH_XY[@]}"
e2e_check "a 549 MiB volume is refused with a message box" e2e_wait_until 10 has_other_window
box=$(other_window)
if [ -n "$box" ]; then
  e2e_say "message box: $(xdotool getwindowname "$box" 2>/dev/null); screen: $(e2e_shot no-room)"
  import -window root "$E2E_SHOTS/no-room-screen.png" 2>/dev/null
  # Answered like a person: the box has the keyboard; Enter presses its only button.
  xdotool windowfocus --sync "$box" 2>/dev/null
  xdotool key Return
  box_gone() { ! xdotool search --onlyvisible --pid "$E2E_APP_PID" 2>/dev/null | grep -qx "$box"; }
  e2e_check "Enter closes the message box" e2e_wait_until 5 box_gone
fi
e2e_click_install
e2e_wait_exit "$E2E_APP_PID" 60 || e2e_fatal "the installation after the refusal did not end"
e2e_check "after the refusal the installation went to the default folder" \
  e2e_installed_like "$E2E_PACKAGE" "$(dirname "$E2E_INSTALL_DIR")"
e2e_check "nothing was written to the refused volume" test -z "$(ls -A "$small")"

# 550 MiB: accepted.
e2e_clean_machine
ln -s "$small" "$E2E_PREFIX/dosdevices/f:"
ln -s "$exact" "$E2E_PREFIX/dosdevices/g:"
e2e_set_install_folder 'G:\Tavoro\'
export DL_TEST_CHOOSE_FOLDER='G:\'
e2e_launch
unset DL_TEST_CHOOSE_FOLDER
e2e_wait_window 20 || e2e_fatal "the installer window did not appear (second run)"
e2e_click "${E2E_MODIFY_PATH_XY[@]}"
sleep 1
e2e_check "a 550 MiB volume is accepted without a message box" e2e_not has_other_window
e2e_click_install
e2e_wait_exit "$E2E_APP_PID" 60 || e2e_fatal "the installation into G:\\Tavoro did not end"
e2e_check "the downloader ended with exit code 0 (got $E2E_RC)" test "$E2E_RC" = 0
e2e_check "every entry is installed on the 550 MiB volume" \
  e2e_installed_like "$E2E_PACKAGE" "$exact"
e2e_check "the lobby started from G:\\Tavoro" e2e_lobby_ran
e2e_finish
