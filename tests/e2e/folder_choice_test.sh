#!/usr/bin/env bash
# The install folder chosen through the 修改 link: a drive root (E:\ -> E:\Tavoro\), a folder
# on it (E:\Games -> E:\Games\Tavoro\) and one named outside the system's code page (1252 here).
# The lobby, its profile, the link and the report all follow the choice; everything after the
# pick is the real path.
set -uo pipefail
. "$(dirname "$0")/lib.sh"
export LANG=C.UTF-8 # code page 1252, file names stored as UTF-8 on the Linux side
e2e_begin "$1"
e2e_serve_package "$E2E_PACKAGE"
drive_e="$E2E_WORK/drive-e"
mkdir -p "$drive_e/Games" "$drive_e/游戏 世界"
E2E_EXTRA_CLEANUP='rm -f "$E2E_PREFIX/dosdevices/e:"'
default_dir=$E2E_INSTALL_DIR

# choice|folder it installs into|label
for pick in 'E:\|E:\Tavoro\|drive-root' 'E:\Games|E:\Games\Tavoro\|sub-folder' \
  'E:\游戏 世界|E:\游戏 世界\Tavoro\|non-ansi'; do
  IFS='|' read -r choice folder label <<<"$pick"
  e2e_clean_machine # the drive root keeps its installation
  ln -s "$drive_e" "$E2E_PREFIX/dosdevices/e:"
  e2e_say "choosing $choice"
  e2e_set_install_folder "$folder"
  e2e_choose_folder "$choice" "$label"
  e2e_mouse_away
  sleep 0.5
  e2e_say "path line after the choice: $(e2e_shot "chosen-$label")"
  e2e_click_install
  e2e_ends 60 "the installation into $folder"
  e2e_check_installed "$label"
  check "$label: nothing went to the default folder" test ! -e "$default_dir"
done
check "sub-folder: the drive root keeps the first installation only" \
  test -f "$drive_e/Tavoro/lobby.exe" -a ! -e "$drive_e/Games/Tavoro/Tavoro"
e2e_finish
