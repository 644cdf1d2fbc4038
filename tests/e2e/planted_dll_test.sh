#!/usr/bin/env bash
# A download folder with files named like system libraries beside the program, and wine told to
# prefer such files over its own (Windows' order for libraries that are not KnownDLLs): the
# program installs as usual and its crash dump is written, and none of those files ever ran.
#
#   planted_dll_test.sh BUILD/e2e/e2e.env
set -uo pipefail
. "$(dirname "$0")/lib.sh"
e2e_load "$1"
e2e_prepare
# Two names of the issue are left out: wine's own libraries load them where Windows' do not, so
# no program could keep them out under wine. Its user32 imports version.dll (loaded, under
# Windows' order, before the program's first instruction), and its drawing library decodes
# through a codec library whose propsys.dll import is resolved on a delay load that ignores the
# program's narrowed search (a copy beside the program is loaded even under wine's own order).
names=(gdiplus wininet dbghelp uxtheme dwmapi winmm secur32 userenv cryptbase)
for name in "${names[@]}"; do cp "$E2E_PLANTED_DLL" "$E2E_APP_DIR/$name.dll"; done
DL_WINEDLLOVERRIDES="$(IFS=,; echo "${names[*]}")=n,b"
export DL_WINEDLLOVERRIDES
marker="$E2E_APP_DIR/planted_ran.txt"
e2e_site_start
e2e_update_start 0
e2e_serve_package "$E2E_PACKAGE"

e2e_launch
e2e_wait_window 20 || e2e_fatal "the installer window did not appear within 20 s"
e2e_say "window among planted libraries: $(e2e_shot idle)"
e2e_click_install
e2e_wait_exit "$E2E_APP_PID" 90 || e2e_fatal "the downloader did not end within 90 s of the click"
e2e_check "the downloader ended with exit code 0 (got $E2E_RC)" test "$E2E_RC" = 0
e2e_check "every entry of the package is installed" \
  e2e_installed_like "$E2E_PACKAGE" "$(dirname "$E2E_INSTALL_DIR")"
e2e_check "no planted library ran in the downloader (ran: $(cat "$marker" 2>/dev/null))" \
  test ! -e "$marker"

cp "$E2E_CRASH_PROBE" "$E2E_APP_DIR/crash_probe.exe"
(cd "$E2E_APP_DIR" && timeout 30 "$E2E_WINE_RUN" "$E2E_APP_DIR/crash_probe.exe") \
  >"$E2E_WORK/crash.log" 2>&1
e2e_check "the crash path wrote its dump" test -s "$E2E_APP_DIR/crash.dat"
e2e_check "no planted library ran in the crash path (ran: $(cat "$marker" 2>/dev/null))" \
  test ! -e "$marker"
e2e_finish
