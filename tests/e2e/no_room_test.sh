#!/usr/bin/env bash
# The free-space test of a chosen folder, on two real volumes: a 549 MiB one is refused with the
# message box and the folder stays the default; a 550 MiB one is accepted and installed into.
# The volumes are tmpfs mounts mapped as wine drives F: and G:; mounting needs root (or the
# right to mount), without it the test is skipped.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
e2e_begin "$1"
e2e_serve_package "$E2E_PACKAGE"
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
E2E_EXTRA_CLEANUP=unmount_volumes # from here on every way out unmounts
mkdir -p "$small" "$exact"
mount -t tmpfs -o size=549m,mode=0755 dl-e2e-549m "$small" 2>"$E2E_BUILD_DIR/volumes/mount.log" ||
  e2e_skip "cannot mount a tmpfs volume here ($(head -n 1 "$E2E_BUILD_DIR/volumes/mount.log"))"
mount -t tmpfs -o size=550m,mode=0755 dl-e2e-550m "$exact" ||
  e2e_skip "cannot mount a second tmpfs volume here"
ln -s "$small" "$E2E_PREFIX/dosdevices/f:"
ln -s "$exact" "$E2E_PREFIX/dosdevices/g:"
e2e_say "volumes: $(df -m --output=target,avail "$small" "$exact" | tail -n 2 | tr -s ' ' | paste -sd ';')"
has_other_window() { [ -n "$(e2e_other_windows)" ]; } # the message box

# 549 MiB: refused.
e2e_choose_folder 'F:\'
check "a 549 MiB volume is refused with a message box" e2e_wait_until 10 has_other_window
box=$(e2e_other_windows | head -n 1)
if [ -n "$box" ]; then
  e2e_say "message box: $(xdotool getwindowname "$box" 2>/dev/null); screen: $(e2e_shot no-room)"
  import -window root "$E2E_SHOTS/no-room-screen.png" 2>/dev/null
  # Answered like a person: the box has the keyboard; Enter presses its only button.
  xdotool windowfocus --sync "$box" 2>/dev/null
  xdotool key Return
  box_gone() { ! xdotool search --onlyvisible --pid "$E2E_APP_PID" 2>/dev/null | grep -qx "$box"; }
  check "Enter closes the message box" e2e_wait_until 5 box_gone
fi
e2e_click_install
e2e_ends 60 "the installation after the refusal"
check "after the refusal the installation went to the default folder" \
  e2e_installed_like "$E2E_PACKAGE" "$(dirname "$E2E_INSTALL_DIR")"
check "nothing was written to the refused volume" test -z "$(ls -A "$small")"

# 550 MiB: accepted.
e2e_clean_machine # F: and G: stay
e2e_set_install_folder 'G:\Tavoro\'
e2e_choose_folder 'G:\' "second run"
sleep 1
check "a 550 MiB volume is accepted without a message box" e2e_not has_other_window
e2e_click_install
e2e_ends 60 "the installation into G:\\Tavoro"
e2e_check_installed "550 MiB volume"
e2e_finish
