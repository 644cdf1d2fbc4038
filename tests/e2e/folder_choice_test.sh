#!/usr/bin/env bash
# The install folder chosen through the 修改 link: a drive root (E:\ -> E:\Tavoro\) and a
# folder on it (E:\Games -> E:\Games\Tavoro\). The lobby, its profile, the link and the report
# all follow the choice. The program's DL_TEST_CHOOSE_FOLDER stands in for the shell's folder
# browser, which cannot be driven here; everything after the pick is the real path.
#
#   folder_choice_test.sh BUILD/e2e/e2e.env
set -uo pipefail
. "$(dirname "$0")/lib.sh"
e2e_load "$1"
e2e_prepare
e2e_site_start
e2e_update_start 0
e2e_serve_package "$E2E_PACKAGE"
drive_e="$E2E_WORK/drive-e"
mkdir -p "$drive_e/Games"
ln -s "$drive_e" "$E2E_PREFIX/dosdevices/e:"
E2E_EXTRA_CLEANUP='rm -f "$E2E_PREFIX/dosdevices/e:"'
default_dir=$E2E_INSTALL_DIR

# install_into CHOICE FOLDER: picks CHOICE through the link, installs, checks FOLDER.
install_into() {
  local choice=$1 folder=$2 label=$3
  e2e_say "choosing $choice"
  e2e_set_install_folder "$folder"
  export DL_TEST_CHOOSE_FOLDER=$choice
  e2e_launch
  unset DL_TEST_CHOOSE_FOLDER
  e2e_wait_window 20 || e2e_fatal "the installer window did not appear ($label)"
  e2e_click "${E2E_MODIFY_PATH_XY[@]}"
  e2e_mouse_away
  sleep 0.5
  e2e_say "path line after the choice: $(e2e_shot "chosen-$label")"
  e2e_click_install
  e2e_wait_exit "$E2E_APP_PID" 60 || e2e_fatal "the installation into $folder did not end"
  e2e_check "$label: the downloader ended with exit code 0 (got $E2E_RC)" test "$E2E_RC" = 0
  local base=${folder%\\}
  base=${base%\\*}\\
  e2e_check "$label: every entry is installed under $base" \
    e2e_installed_like "$E2E_PACKAGE" "$(dirname "$E2E_INSTALL_DIR")"
  e2e_check "$label: the package is kept in $folder" \
    e2e_same_file "$E2E_INSTALLED_PACKAGE" "$(e2e_served_package)"
  e2e_check "$label: IsLobbyLogin.dat in $folder" e2e_channel_profile_ok
  e2e_check "$label: Tavoro.lnk points at ${folder}lobby.exe" e2e_link_ok
  e2e_check "$label: the report names $folder" test "$(e2e_stats_count 3 0)" = 1
  e2e_check "$label: the lobby started from $folder" e2e_lobby_ran
  e2e_check "$label: nothing went to the default folder" test ! -e "$default_dir"
}

install_into 'E:\' 'E:\Tavoro\' drive-root
e2e_clean_machine
ln -s "$drive_e" "$E2E_PREFIX/dosdevices/e:"
install_into 'E:\Games' 'E:\Games\Tavoro\' sub-folder
e2e_check "sub-folder: the drive root keeps the first installation only" \
  test -f "$drive_e/Tavoro/lobby.exe" -a ! -e "$drive_e/Games/Tavoro/Tavoro"
e2e_finish
